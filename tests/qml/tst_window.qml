import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import QtQuick.Controls 2.15
import Kelvra 1.0

// The main document from the compiled resource, loaded with only the
// deployed modules, driven through its controls against the real view
// models. The catalogue: seven scenes, playlists "Evening" (active, run by
// the player, empty) and "Party".
TestCase {
    id: testCase
    name: "MainWindow"
    when: windowShown

    property var window: null
    property var grid: null

    function find(name, root) {
        var item = findChild(root || window.contentItem, name)
        verify(item !== null, "no item named " + name)
        return item
    }

    function tag(name) {
        var tags = ConfigViewModel.tags
        for (var i = 0; i < tags.length; ++i)
            if (tags[i].name === name)
                return tags[i]
        return null
    }

    function playlist(name) {
        var lists = ConfigViewModel.playlists
        for (var i = 0; i < lists.length; ++i)
            if (lists[i].name === name)
                return lists[i]
        return null
    }

    function sceneNamed(name) {
        var all = ConfigViewModel.allScenes
        for (var i = 0; i < all.count; ++i)
            if (all.get(i).name === name)
                return all.get(i)
        return null
    }

    function initTestCase() {
        var component = Qt.createComponent("qrc:/qml/Main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = component.createObject(null)
        verify(window !== null)
        window.width = 1280
        window.height = 800
        window.show()
        // The window takes back the size an earlier test file left it.
        window.width = 1280
        window.height = 800
        verify(waitForRendering(window.contentItem))
        // Key events go to the focus window.
        window.requestActivate()
        tryCompare(window, "active", true)
        grid = find("sceneGrid")
    }

    function cleanupTestCase() {
        if (window)
            window.destroy()
    }

    // Every test starts unfiltered with nothing selected and Evening active.
    function init() {
        if (window.settings.visible)
            closeSettings()
        find("filterPanel").clearAll()
        window.headerBar.clearSearch()
        ConfigViewModel.activePlaylist = playlist("Evening")
        ConfigViewModel.deselectAllScenes()
        ConfigViewModel.filteredScenes.invalidate()
        grid.forceActiveFocus()
        grid.currentIndex = 0
    }

    function test_rootIsAWindow() {
        verify(window instanceof Window)
        compare(grid.count, ConfigViewModel.allScenes.count)
        compare(find("countLabel").text, "7 of 7 scenes shown")
    }

    function test_searchAsYouType() {
        var field = find("searchField", window.headerBar)
        field.forceActiveFocus()
        keyClick(Qt.Key_O)
        keyClick(Qt.Key_R)
        compare(grid.count, 2, "Orbit and Aurora contain \"or\"")
        keyClick(Qt.Key_B)
        compare(grid.count, 1)
        tryCompare(find("countLabel"), "text", "1 of 7 scenes shown")
        keyClick(Qt.Key_Escape)
        compare(field.text, "")
        compare(grid.count, 7)
    }

    function test_ctrlFFocusesSearch() {
        keyClick(Qt.Key_F, Qt.ControlModifier)
        verify(find("searchField", window.headerBar).activeFocus)
    }

    function test_tagChipsFilterAndClear() {
        var chip = find("tag:Space")
        mouseClick(chip)
        verify(tag("Space").selected)
        compare(grid.count, 3)
        mouseClick(find("tag:Background"))
        compare(grid.count, 2, "Nebula and Aurora are background scenes tagged Space")
        mouseClick(find("clearFilters"))
        verify(!tag("Space").selected)
        verify(!tag("Background").selected)
        compare(grid.count, 7)
    }

    function test_emptyStateOffersClearing() {
        mouseClick(find("tag:User"))
        mouseClick(find("tag:Transition"))
        compare(grid.count, 0)
        var button = find("clearFiltersButton")
        // The view announces its new count when it lays itself out.
        tryCompare(button, "visible", true)
        mouseClick(button)
        compare(grid.count, 7)
    }

    // Space on the current card selects it and recounts the active playlist;
    // with "Selected" as a filter the grid follows at once.
    function test_spaceSelectsAndRefilters() {
        var evening = playlist("Evening")
        grid.currentIndex = 1
        var scene = grid.currentItem.scene
        keyClick(Qt.Key_Space)
        verify(scene.selected)
        compare(evening.scenesSelected, 1)

        mouseClick(find("tag:Selected"))
        compare(grid.count, 1)
        grid.forceActiveFocus()
        grid.currentIndex = 0
        keyClick(Qt.Key_Space)
        verify(!scene.selected)
        compare(evening.scenesSelected, 0)
        compare(grid.count, 0, "the deselected scene leaves the Selected view")
    }

    function test_cardCheckbox() {
        var card = grid.itemAtIndex(2)
        var scene = card.scene
        mouseClick(find("selectBox", card))
        verify(scene.selected)
        compare(playlist("Evening").scenesSelected, 1)
        compare(ConfigViewModel.scenesSelected, 1)
    }

    function test_selectionShortcutsOnVisibleScenes() {
        mouseClick(find("tag:Calm"))
        compare(grid.count, 3)
        grid.forceActiveFocus()
        keyClick(Qt.Key_A, Qt.ControlModifier)
        compare(playlist("Evening").scenesSelected, 3)
        keyClick(Qt.Key_I, Qt.ControlModifier)
        compare(playlist("Evening").scenesSelected, 0)
        keyClick(Qt.Key_A, Qt.ControlModifier | Qt.ShiftModifier)
        compare(ConfigViewModel.scenesSelected, 0)
    }

    function test_clickMakesSceneActive() {
        var card = grid.itemAtIndex(3)
        mouseClick(card, card.width / 2, 20)
        compare(ConfigViewModel.activeScene, card.scene)
        compare(grid.currentIndex, 3)
        keyClick(Qt.Key_Right)
        compare(ConfigViewModel.activeScene, grid.itemAtIndex(4).scene)
    }

    function test_orderByName() {
        if (typeof ConfigViewModel.filteredScenes.sort !== "function")
            skip("the scene filter offers no sort to QML")
        window.headerBar.sortByName = true
        var names = []
        for (var i = 0; i < grid.count; ++i)
            names.push(grid.itemAtIndex(i) ? grid.itemAtIndex(i).scene.name : "")
        compare(names.join(","), "Aurora,Ember,Haze,Nebula,Orbit,Pulse,Wipe")
        window.headerBar.sortByName = false
        compare(grid.itemAtIndex(0).scene.name, "Ember", "newest first again")
    }

    function test_renamePlaylistKeepsItRunning() {
        var panel = find("playlistPanel")
        var evening = playlist("Evening")
        verify(panel.isRun(evening))
        verify(panel.rename(evening, "Party").length > 0, "a name another playlist has is refused")
        verify(panel.rename(evening, "bad/name").length > 0)
        compare(evening.name, "Evening")

        compare(panel.rename(evening, "Late Evening"), "")
        compare(evening.name, "Late Evening")
        verify(evening.filepath.indexOf("Late Evening.kvp") >= 0)
        compare(ConfigViewModel.playlistToRun, evening.filepath)
        verify(panel.isRun(evening))
        compare(panel.rename(evening, "Evening"), "")
        compare(ConfigViewModel.playlistToRun, evening.filepath)
    }

    function test_createAndDeletePlaylistThroughDialogs() {
        var panel = find("playlistPanel")
        var before = ConfigViewModel.playlists.length
        mouseClick(find("newPlaylist", panel))
        var dialog = find("newPlaylistDialog", panel)
        tryCompare(dialog, "opened", true)
        keyClick(Qt.Key_Return)
        tryCompare(dialog, "visible", false)
        compare(ConfigViewModel.playlists.length, before + 1)
        var created = playlist("New playlist")
        verify(created !== null)
        compare(ConfigViewModel.activePlaylist, created)

        var confirm = find("deleteDialog", panel)
        panel.askDelete(created)
        tryCompare(confirm, "opened", true)
        confirm.reject()
        tryCompare(confirm, "visible", false)
        compare(ConfigViewModel.playlists.length, before + 1, "cancelled: nothing deleted")
        panel.askDelete(created)
        tryCompare(confirm, "opened", true)
        confirm.accept()
        tryCompare(confirm, "visible", false)
        compare(ConfigViewModel.playlists.length, before)
        verify(playlist("New playlist") === null)
        ConfigViewModel.playlistToRun = playlist("Evening").filepath
    }

    function openSettings() {
        window.settings.open()
        tryCompare(window.settings, "opened", true)
        return window.settings.contentItem
    }

    function closeSettings() {
        window.settings.close()
        tryCompare(window.settings, "visible", false)
    }

    // The spin boxes show the view model's value with its unit and write
    // back what the user steps to.
    function test_settingsNumbers_data() {
        return [
            { tag: "percent", name: "postProcessingProbability", initial: 25, shown: "25 %", stepped: 26 },
            { tag: "percent, step 5", name: "transitionFromScale", initial: 100, shown: "100 %", stepped: 105 },
            { tag: "VR percent", name: "renderTargetSizeVR", initial: 50, shown: "50 %", stepped: 55 },
            { tag: "seconds with a decimal", name: "transitionTime", initial: 3, shown: "3.0 s", stepped: 3.5 },
            { tag: "whole seconds", name: "minSceneTime", initial: 30, shown: "30 s", stepped: 31 },
            { tag: "silence", name: "maxSoundCaptureSilence", initial: 10, shown: "10 s", stepped: 11 }
        ]
    }

    function test_settingsNumbers(data) {
        ConfigViewModel[data.name] = data.initial
        var spin = find("spin", find(data.name, openSettings()))
        compare(spin.displayText, data.shown)
        spin.forceActiveFocus()
        keyClick(Qt.Key_Up)
        compare(ConfigViewModel[data.name], data.stepped)
        closeSettings()
    }

    // A stored value outside the offered range is shown clamped but kept.
    function test_openingSettingsWritesNothing() {
        ConfigViewModel.minSceneTime = 99999
        ConfigViewModel.postProcessingProbability = 250
        openSettings()
        closeSettings()
        compare(ConfigViewModel.minSceneTime, 99999)
        compare(ConfigViewModel.postProcessingProbability, 250)
        ConfigViewModel.minSceneTime = 30
        ConfigViewModel.postProcessingProbability = 25
    }

    function test_renderSizeModes() {
        ConfigViewModel.renderTargetSize = 100
        var content = openSettings()
        verify(find("renderRelative", content).checked)
        verify(find("renderTargetSize", content).visible)
        verify(!find("renderTargetWidth", content).visible)

        mouseClick(find("renderPixels", content))
        compare(ConfigViewModel.renderTargetWidth, 1920)
        compare(ConfigViewModel.renderTargetHeight, 1080)
        verify(find("renderTargetWidth", content).visible)
        compare(find("spin", find("renderTargetWidth", content)).displayText, "1920 px")

        mouseClick(find("renderRelative", content))
        compare(ConfigViewModel.renderTargetSize, 100)
        verify(!find("renderTargetWidth", content).visible)
        closeSettings()
    }

    function test_settingsSwitches_data() {
        return [ "randNextScene", "enablePreloader", "captureSound", "captureRecordingDevice",
                 "layerScenesInVR", "preferOpenVR", "checkForNewVersion", "sendUsageStats" ]
                .map(function(name) { return { tag: name, name: name } })
    }

    function test_settingsSwitches(data) {
        var before = ConfigViewModel[data.name]
        var toggle = find("switch", find(data.name, openSettings()))
        compare(toggle.checked, before)
        toggle.forceActiveFocus()
        keyClick(Qt.Key_Space)
        compare(ConfigViewModel[data.name], !before)
        ConfigViewModel[data.name] = before
        compare(toggle.checked, before)
        closeSettings()
    }

    // Tab reaches the search, the playlists, the filters, the grid and the
    // preview, so nothing needs the mouse.
    function test_tabReachesEveryArea() {
        ConfigViewModel.activeScene = grid.itemAtIndex(0).scene
        find("searchField", window.headerBar).forceActiveFocus()
        var reached = {}
        for (var i = 0; i < 80; ++i) {
            keyClick(Qt.Key_Tab)
            // Views give the focus to their current delegate.
            for (var item = window.activeFocusItem; item; item = item.parent) {
                var name = item.objectName
                if (name.indexOf("tag:") === 0)
                    name = "tag chip"
                if (name.length > 0) {
                    reached[name] = true
                    break
                }
            }
        }
        var wanted = ["playlistList", "tag chip", "sceneGrid", "previewButton", "previewVRButton", "searchField"]
        for (var j = 0; j < wanted.length; ++j)
            verify(reached[wanted[j]] === true, wanted[j] + " is not reached by Tab: " + Object.keys(reached))
    }

    function waitForBulkEdit() {
        tryCompare(ConfigViewModel, "bulkEditRunning", false, 20000)
    }

    // The tag dialog opens empty with the focus in its field, names what it
    // changes (hidden scenes too) and asks; the edit reaches every selected
    // scene, and the new tag is listed and suggested at once.
    function test_bulkTagEditAsksAndReports() {
        var orbit = sceneNamed("Orbit")
        var haze = sceneNamed("Haze")
        ConfigViewModel.searchScenes("Orbit")
        ConfigViewModel.selectAllScenes()
        ConfigViewModel.searchScenes("Haze")
        ConfigViewModel.selectAllScenes()
        compare(playlist("Evening").scenesSelected, 2)

        var dialog = window.browser.bulkEditDialog
        var field = find("tagField", dialog.contentItem)
        var summary = find("bulkEditSummary", dialog.contentItem)
        mouseClick(find("addTagButton", window.browser))
        tryCompare(dialog, "opened", true)
        compare(field.editText, "")
        tryCompare(field.contentItem, "activeFocus", true)
        keyClick(Qt.Key_G)
        keyClick(Qt.Key_L)
        keyClick(Qt.Key_O)
        keyClick(Qt.Key_W)
        compare(field.editText, "glow")
        compare(summary.text, "Changes the files of 2 scenes, 1 of them hidden by the filter.")
        field.editText = "Selected"
        verify(!find("applyBulkEdit", dialog.footer).enabled, "a filter word is not a tag")
        field.editText = "glow"
        keyClick(Qt.Key_Return)
        tryCompare(dialog, "visible", false)
        waitForBulkEdit()
        verify(orbit.tags.indexOf("glow") >= 0, "Orbit is hidden by the search but selected")
        verify(haze.tags.indexOf("glow") >= 0)
        verify(window.messageBanner.text.indexOf("Tag “glow” added to 2 scenes.") >= 0, window.messageBanner.text)
        compare(tag("glow").score, 2)
        tryVerify(function() { return findChild(window.contentItem, "tag:glow") !== null })

        mouseClick(find("removeTagButton", window.browser))
        tryCompare(dialog, "opened", true)
        compare(field.editText, "")
        verify(field.model.indexOf("glow") >= 0, "the new tag is suggested")
        field.editText = "glow"
        compare(find("applyBulkEdit", dialog.footer).text, "Remove from 2 scenes")
        mouseClick(find("applyBulkEdit", dialog.footer))
        tryCompare(dialog, "visible", false)
        waitForBulkEdit()
        verify(orbit.tags.indexOf("glow") < 0)
        verify(haze.tags.indexOf("glow") < 0)
        compare(tag("glow"), null)
        window.messageBanner.dismiss()
    }

    // Return presses the focused button: Cancel changes nothing, the
    // confirmation applies.
    function test_relicensingAsksFirst() {
        var pulse = sceneNamed("Pulse")
        ConfigViewModel.searchScenes("Pulse")
        ConfigViewModel.selectAllScenes()
        ConfigViewModel.searchScenes("")
        var dialog = window.browser.bulkEditDialog
        var apply = find("applyBulkEdit", dialog.footer)

        window.browser.openBulkEdit(ConfigViewModel.BulkSetRelicensing, false)
        tryCompare(dialog, "opened", true)
        compare(find("bulkEditSummary", dialog.contentItem).text, "Changes the files of 1 scene; all of them are visible.")
        tryCompare(apply, "activeFocus", true)
        keyClick(Qt.Key_Tab)
        verify(find("cancelBulkEditDialog", dialog.footer).activeFocus)
        keyClick(Qt.Key_Return)
        tryCompare(dialog, "visible", false)
        verify(pulse.relicensingPossible)

        window.browser.openBulkEdit(ConfigViewModel.BulkSetRelicensing, false)
        tryCompare(apply, "activeFocus", true)
        keyClick(Qt.Key_Return)
        tryCompare(dialog, "visible", false)
        waitForBulkEdit()
        verify(!pulse.relicensingPossible)
        // The message that reports the edit offers to take it back.
        var undo = find("undoButton", window.messageBanner)
        tryCompare(undo, "visible", true)
        verify(undo.Accessible.name.length > 0)
        mouseClick(undo)
        verify(pulse.relicensingPossible)
        verify(!window.messageBanner.offersUndo, "the undone step is not offered again")
        pulse.setRelicensingPossible(true)
        verify(pulse.relicensingPossible)
        window.messageBanner.dismiss()
    }

    // Home, End and the page keys move the current item and the active
    // scene, keeping the column where the grid allows.
    function test_gridHomeEndAndPages() {
        grid.forceActiveFocus()
        window.browser.activate(1)
        keyClick(Qt.Key_End)
        compare(grid.currentIndex, grid.count - 1)
        compare(ConfigViewModel.activeScene, grid.currentItem.scene)
        keyClick(Qt.Key_Home)
        compare(grid.currentIndex, 0)
        compare(ConfigViewModel.activeScene, grid.currentItem.scene)
        keyClick(Qt.Key_PageDown)
        verify(grid.currentIndex > 0)
        compare(grid.currentIndex % grid.columns, 0, "same column")
        keyClick(Qt.Key_PageDown)
        verify(grid.currentIndex >= grid.count - grid.columns, "the last row at most")
        keyClick(Qt.Key_PageUp)
        keyClick(Qt.Key_PageUp)
        compare(grid.currentIndex, 0)
        keyClick(Qt.Key_Down)
        compare(grid.currentIndex, grid.columns)
        compare(ConfigViewModel.activeScene, grid.currentItem.scene)
    }

    // After a filter change the current scene stays current while visible;
    // hidden, nothing is current and the details show nothing.
    function test_currentSceneSurvivesFilterChanges() {
        var orbit = sceneNamed("Orbit")
        grid.forceActiveFocus()
        window.browser.activate(ConfigViewModel.visibleRowOf(orbit))
        compare(grid.currentItem.scene, orbit)

        var current = function() { return grid.currentItem ? grid.currentItem.scene : null }
        mouseClick(find("tag:Space"))
        tryVerify(function() { return current() === orbit }, 5000, "Orbit moved up a row")
        compare(ConfigViewModel.activeScene, orbit)
        window.headerBar.sortByName = true
        tryVerify(function() { return current() === orbit }, 5000, "Orbit moved in the new order")
        window.headerBar.sortByName = false
        tryVerify(function() { return current() === orbit })

        mouseClick(find("tag:Background"))
        tryCompare(grid, "currentIndex", -1)
        compare(ConfigViewModel.activeScene, null)
    }

    // Narrow windows keep two columns of cards and every edit reachable,
    // through the "⋯" menu when the buttons do not fit.
    function test_narrowWindows_data() {
        return [ { tag: "960x600", width: 960, height: 600 },
                 { tag: "1024x700", width: 1024, height: 700 } ]
    }

    function test_narrowWindows(data) {
        window.width = data.width
        window.height = data.height
        waitForRendering(window.contentItem)
        verify(grid.columns >= 2, grid.columns + " columns in " + grid.width + " px")
        var more = find("moreActionsButton", window.browser)
        var names = ["addTagButton", "removeTagButton", "relicensingButton", "selectAllButton"]
        for (var i = 0; i < names.length; ++i)
            verify(find(names[i], window.browser).visible || more.visible, names[i])
        if (more.visible) {
            var toolbar = find("bulkToolbar", window.browser)
            verify(more.x + more.width <= toolbar.width, "the menu button is on screen")
            mouseClick(more)
            var menu = find("moreActionsMenu", window.browser)
            tryCompare(menu, "opened", true)
            verify(findChild(menu.contentItem, "menuAddTag") !== null || menu.count > 0)
            menu.close()
            tryCompare(menu, "visible", false)
        }
        window.width = 1280
        window.height = 800
        waitForRendering(window.contentItem)
    }

    // A scene whose file cannot be read shows its file name and the mark,
    // and cannot be previewed; asked anyway, the program says why.
    function test_damagedSceneLooksDamaged() {
        var card = createTemporaryObject(Qt.createComponent("qrc:/qml/SceneCard.qml"), testCase,
                                         {scene: damagedScene, width: 300, height: 260})
        compare(findChild(card, "cardName").text, "Broken scene.kvc")
        compare(findChild(card, "cardAuthor").text, "Cannot be read")
        compare(findChild(card, "cardTags").text, damagedScene.loadError)
        verify(card.damaged)

        ConfigViewModel.activeScene = damagedScene
        compare(find("detailsName").text, "Broken scene.kvc")
        verify(!find("previewButton").enabled)
        verify(!find("previewVRButton").enabled)
        verify(find("previewUnavailable").visible)
        ConfigViewModel.previewSelectedScene()
        var shown = window.messageBanner.text
        verify(shown.indexOf("Broken scene.kvc") >= 0 && shown.indexOf(damagedScene.loadError) >= 0, shown)
        ConfigViewModel.activeScene = null
        window.messageBanner.dismiss()
    }

    // The details pane edits the scene it shows, on its own.
    function test_detailsPaneEditsItsScene() {
        var pulse = sceneNamed("Pulse")
        ConfigViewModel.activeScene = pulse
        var field = find("detailsTagField")
        field.forceActiveFocus()
        field.text = "Neon"
        keyClick(Qt.Key_Return)
        compare(pulse.tags.indexOf("Neon"), 1)
        compare(field.text, "")
        verify(tag("Neon") !== null)
        find("removeTag:Neon").clicked()
        compare(pulse.tags.indexOf("Neon"), -1)

        var relicensing = find("relicensingSwitch")
        relicensing.forceActiveFocus()
        keyClick(Qt.Key_Space)
        verify(!pulse.relicensingPossible)
        keyClick(Qt.Key_Space)
        verify(pulse.relicensingPossible)
        verify(relicensing.checked)
        ConfigViewModel.activeScene = null
    }

    // F2 renames inline, Escape cancels, Delete asks first.
    function test_playlistKeyboard() {
        var panel = find("playlistPanel")
        var list = find("playlistList", panel)
        var evening = playlist("Evening")
        list.forceActiveFocus()
        compare(list.currentItem.playlist, evening, "focus lands on the active playlist")

        keyClick(Qt.Key_F2)
        verify(list.currentItem.editing)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_D)
        keyClick(Qt.Key_U)
        keyClick(Qt.Key_S)
        keyClick(Qt.Key_K)
        keyClick(Qt.Key_Return)
        compare(evening.name, "dusk")
        verify(!list.currentItem.editing)
        compare(ConfigViewModel.playlistToRun, evening.filepath)

        keyClick(Qt.Key_F2)
        keyClick(Qt.Key_Escape)
        verify(!list.currentItem.editing)
        compare(evening.name, "dusk")
        compare(panel.rename(evening, "Evening"), "")

        var confirm = find("deleteDialog", panel)
        list.forceActiveFocus()
        keyClick(Qt.Key_Delete)
        tryCompare(confirm, "opened", true)
        compare(confirm.playlist, evening)
        keyClick(Qt.Key_Escape)
        tryCompare(confirm, "visible", false)
        verify(playlist("Evening") !== null)
    }

    function test_viewActivePlaylistStoresTheSelectionFirst() {
        var evening = playlist("Evening")
        // Store what init left (nothing selected) now, not a second later.
        ConfigViewModel.activePlaylist = null
        ConfigViewModel.activePlaylist = evening
        grid.currentIndex = 0
        var scene = grid.currentItem.scene
        keyClick(Qt.Key_Space)
        compare(evening.scenes.length, 0, "selection not stored yet")

        find("playlistPanel").viewInPlayer(evening, "f")
        compare(ConfigViewModel.activePlaylist, evening)
        compare(evening.scenes.length, 1)
        compare(evening.scenes[0], scene)
        verify(scene.selected)
        compare(evening.scenesSelected, 1)
    }

    function test_sceneMenuByMouseAndKeyboard() {
        var menu = find("sceneMenu", window.browser)
        var card = grid.itemAtIndex(1)
        mouseClick(card, card.width / 2, 20, Qt.RightButton)
        tryCompare(menu, "opened", true)
        compare(ConfigViewModel.activeScene, card.scene)
        menu.itemAt(3).triggered()
        verify(card.scene.selected)
        menu.close()
        tryCompare(menu, "visible", false)

        grid.forceActiveFocus()
        keyClick(Qt.Key_Menu)
        tryCompare(menu, "opened", true)
        compare(menu.itemAt(3).text, "Remove from the playlist")
        keyClick(Qt.Key_Escape)
        tryCompare(menu, "visible", false)
        verify(grid.activeFocus)
    }

    function test_messageBannerShowsWhatFailed() {
        var banner = window.messageBanner
        var label = find("messageText", banner)
        banner.dismiss()   // what earlier tests were told
        verify(!banner.visible)
        ConfigViewModel.addPlaylist("<b>a</b>/b")
        // Names from files and the user are shown as they are, never as markup.
        compare(label.textFormat, Text.PlainText)
        verify(banner.visible && label.text.indexOf("<b>a</b>/b") >= 0, label.text)
        compare(banner.Accessible.name, label.text)
        mouseClick(banner)
        verify(!banner.visible)
        var interval = banner.interval
        banner.interval = 10
        banner.show("gone by itself")
        tryCompare(banner, "visible", false)
        banner.interval = interval
    }

    // ---- What plays, the panels' keyboard, failures said -------------------

    // Before the user chose, the player runs the playlist shipped with the
    // program: the panel says so, and no row claims to run.
    function test_bundledPlaylistRunIsShown() {
        var panel = find("playlistPanel")
        var evening = playlist("Evening")
        ConfigViewModel.playlistToRun = testAppDir + "/playlists/Default.kvp"
        compare(find("runningLabel", panel).text, "▶ Player runs: Default (bundled)")
        var list = find("playlistList", panel)
        for (var i = 0; i < list.count; ++i)
            verify(!list.itemAtIndex(i).runs, list.itemAtIndex(i).playlist.name)
        ConfigViewModel.playlistToRun = evening.filepath
        compare(find("runningLabel", panel).text, "▶ Player runs: Evening")
        verify(panel.isRun(evening))
    }

    // Ticking scenes in a playlist the player does not run offers to run it;
    // the offer acts on the playlist's file and goes away.
    function test_offerToMakeTheEditedPlaylistRun() {
        var panel = find("playlistPanel")
        var offer = find("runOffer", panel)
        var party = playlist("Party")
        ConfigViewModel.activePlaylist = party
        verify(!offer.visible, "showing a playlist is no edit")
        grid.forceActiveFocus()
        grid.currentIndex = 0
        keyClick(Qt.Key_Space)
        tryCompare(offer, "visible", true)
        waitForRendering(window.contentItem)   // the panel lays the offer out
        mouseClick(find("makeItRun", offer))
        compare(ConfigViewModel.playlistToRun, party.filepath)
        verify(!offer.visible)
        keyClick(Qt.Key_Space)
        verify(!offer.visible, "it runs already")
        ConfigViewModel.playlistToRun = playlist("Evening").filepath
    }

    // A chip group is one Tab stop; the arrows move inside it, Space toggles.
    function test_chipGroupIsOneTabStop() {
        find("clearFilters").forceActiveFocus()
        keyClick(Qt.Key_Tab)
        var first = window.activeFocusItem
        verify(first.objectName.indexOf("tag:") === 0, first.objectName)
        keyClick(Qt.Key_Right)
        var second = window.activeFocusItem
        verify(second !== first && second.objectName.indexOf("tag:") === 0, second.objectName)
        keyClick(Qt.Key_Space)
        verify(second.tag.selected)
        keyClick(Qt.Key_Left)
        compare(window.activeFocusItem, first)
        keyClick(Qt.Key_Tab)
        var next = window.activeFocusItem
        verify(next.objectName.indexOf("tag:") === 0, next.objectName)
        verify(SceneKinds.tagCategory(next.tag.name) !== SceneKinds.tagCategory(first.tag.name),
               "Tab leaves the group: " + next.objectName)
    }

    function test_searchHandsOverToResults_data() {
        return [ { tag: "Return", key: Qt.Key_Return }, { tag: "Enter", key: Qt.Key_Enter },
                 { tag: "Down", key: Qt.Key_Down } ]
    }

    function test_searchHandsOverToResults(data) {
        var field = find("searchField", window.headerBar)
        field.forceActiveFocus()
        keyClick(Qt.Key_Space)
        keyClick(Qt.Key_O)
        keyClick(Qt.Key_R)
        keyClick(Qt.Key_Space)
        compare(grid.count, 2, "spaces around the words are not searched for")
        keyClick(data.key)
        verify(grid.activeFocus)
    }

    // A click gives the list the keyboard; Delete asks about the row clicked,
    // and Return presses the dialog button the focus is on.
    function test_clickedPlaylistTakesTheKeyboard() {
        var panel = find("playlistPanel")
        var list = find("playlistList", panel)
        var party = playlist("Party")
        var row = list.itemAtIndex(panel.indexOf(party))
        mouseClick(row, 30, row.height / 2)
        verify(list.activeFocus)
        compare(list.currentItem.playlist, party)
        keyClick(Qt.Key_Delete)
        var confirm = find("deleteDialog", panel)
        tryCompare(confirm, "opened", true)
        compare(confirm.playlist, party)
        compare(find("confirmDelete", confirm.footer).text, "Delete")
        verify(find("confirmDelete", confirm.footer).activeFocus)
        keyClick(Qt.Key_Tab)
        verify(find("cancelDelete", confirm.footer).activeFocus)
        keyClick(Qt.Key_Return)
        tryCompare(confirm, "visible", false)
        verify(playlist("Party") !== null, "Return pressed Cancel")
    }

    // Deleting the active playlist shows the next one's ticks, not its own.
    function test_deletedPlaylistTicksVanish() {
        ConfigViewModel.addPlaylist("Brief")
        var brief = playlist("Brief")
        compare(ConfigViewModel.activePlaylist, brief)
        var scene = grid.itemAtIndex(0).scene
        scene.selected = true
        ConfigViewModel.deletePlaylist("Brief")
        compare(ConfigViewModel.activePlaylist, playlist("Evening"))
        verify(!scene.selected)
        compare(ConfigViewModel.playlistToRun, playlist("Evening").filepath)
        verify(window.messageBanner.text.indexOf("“Brief”") >= 0, window.messageBanner.text)
    }

    function test_refusalsAreSaidWithTheReason() {
        var panel = find("playlistPanel")
        var evening = playlist("Evening")
        var problem = panel.rename(evening, "Stray")
        verify(problem.indexOf("Stray") >= 0 && problem.indexOf("exists") >= 0, problem)
        compare(evening.name, "Evening")
        problem = panel.createNamed("in/out")
        verify(problem.indexOf("in/out") >= 0 && problem.indexOf("not created") >= 0, problem)
    }

    // Text that is no number leaves the value, and the box shows it again.
    function test_numberKeepsItsValueOnNonsense() {
        ConfigViewModel.minSceneTime = 30
        var spin = find("spin", find("minSceneTime", openSettings()))
        spin.forceActiveFocus()
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_A)
        keyClick(Qt.Key_B)
        keyClick(Qt.Key_C)
        keyClick(Qt.Key_Return)
        compare(ConfigViewModel.minSceneTime, 30)
        find("maxSceneTime", window.settings.contentItem).forceActiveFocus()
        find("spin", find("maxSceneTime", window.settings.contentItem)).forceActiveFocus()
        compare(spin.box.contentItem.text, "30 s")
        closeSettings()
    }

    function test_maxBelowMinIsFlaggedAndKept() {
        ConfigViewModel.minSceneTime = 30
        ConfigViewModel.maxSceneTime = 20
        var row = find("maxSceneTime", openSettings())
        verify(find("error", row).visible)
        compare(ConfigViewModel.maxSceneTime, 20)
        ConfigViewModel.maxSceneTime = 60
        verify(!find("error", row).visible)
        ConfigViewModel.captureSound = false
        verify(!find("sceneChangeSilenceTime", window.settings.contentItem).enabled)
        ConfigViewModel.captureSound = true
        closeSettings()
    }

    // The order and the folded panels are kept for the next start; a place
    // no screen shows is never taken back.
    function test_windowRemembersItsLooks() {
        var state = findChild(window, "windowState")
        verify(state !== null && state.store !== null)
        window.headerBar.sortByName = true
        compare(state.store.sortByName, true)
        keyClick(Qt.Key_L, Qt.ControlModifier)
        compare(state.store.sideCollapsed, true)
        verify(!window.sidePanel.visible)
        keyClick(Qt.Key_L, Qt.ControlModifier)
        compare(state.store.sideCollapsed, false)
        window.headerBar.sortByName = false
        compare(state.store.sortByName, false)
        verify(state.onSomeScreen(0, 0, 800))
        verify(!state.onSomeScreen(-20000, -20000, 800))
        verify(!state.onSomeScreen(0, 100000, 800))
    }

    // With no playlist active the hint shows; the first click of a double
    // click activates one, and the rows must not move before the second.
    function test_doubleClickRenamesTheRowClicked() {
        var panel = find("playlistPanel")
        var list = find("playlistList", panel)
        var party = playlist("Party")
        ConfigViewModel.activePlaylist = null
        waitForRendering(window.contentItem)
        var row = list.itemAtIndex(panel.indexOf(party))
        mouseDoubleClickSequence(row, 40, row.height / 2)
        var editing = list.itemAtIndex(panel.indexOf(party))
        verify(editing.editing, "the double-clicked row edits its name")
        compare(ConfigViewModel.activePlaylist, party)
        keyClick(Qt.Key_Escape)
        verify(!editing.editing)
    }

    // Bigger and smaller thumbnails by key, kept for the next start; the
    // image is asked for at the size shown.
    function test_thumbnailSizeKeys() {
        var state = findChild(window, "windowState")
        var before = grid.cellWidth
        keyClick(Qt.Key_Plus, Qt.ControlModifier)
        keyClick(Qt.Key_Plus, Qt.ControlModifier)
        verify(grid.cellWidth > before, "the cards grow")
        compare(state.store.cardWidth, window.browser.cardWidth)
        waitForRendering(window.contentItem)
        var card = grid.itemAtIndex(0)
        verify(findChild(card, "thumbnail").sourceSize.width >= card.width - 16)
        keyClick(Qt.Key_0, Qt.ControlModifier)
        compare(grid.cellWidth, before)
        for (var i = 0; i < 20; ++i)
            keyClick(Qt.Key_Minus, Qt.ControlModifier)
        compare(window.browser.cardWidth, window.browser.minCardWidth, "never below the smallest size")
        keyClick(Qt.Key_0, Qt.ControlModifier)
    }

    // Ctrl+click ticks one scene; Shift+click ticks the visible scenes from
    // the last clicked one, also upwards.
    function test_modifiedClicksTick() {
        var evening = playlist("Evening")
        var card = grid.itemAtIndex(1)
        mouseClick(card, card.width / 2, 20, Qt.LeftButton, Qt.ControlModifier)
        verify(card.scene.selected)
        compare(evening.scenesSelected, 1)
        card = grid.itemAtIndex(4)
        mouseClick(card, card.width / 2, 20, Qt.LeftButton, Qt.ShiftModifier)
        compare(evening.scenesSelected, 4)
        verify(!grid.itemAtIndex(0).scene.selected && !grid.itemAtIndex(5).scene.selected)

        ConfigViewModel.activePlaylist = null
        card = grid.itemAtIndex(6)
        mouseClick(card, card.width / 2, 20, Qt.LeftButton, Qt.ShiftModifier)
        verify(!card.scene.selected, "nothing is ticked without an active playlist")
    }

    // The folder is never opened here: only that the controls are there.
    function test_openFolderControls() {
        grid.currentIndex = 0
        ConfigViewModel.activeScene = grid.itemAtIndex(0).scene
        if (!window.detailsShown)
            window.toggleDetails()
        verify(find("openFolderButton").enabled)
        var item = findChild(window.browser, "openFolderMenuItem")
        verify(item !== null)
        verify(item.enabled)
    }

    function test_resetSettingsAsksFirst() {
        openSettings()
        ConfigViewModel.minSceneTime = 7
        var dialog = findChild(window.settings, "resetSettingsDialog")
        var content = window.settings.content
        content.contentY = content.contentHeight - content.height
        waitForRendering(window.contentItem)
        mouseClick(find("resetSettingsButton", window.settings.content))
        tryCompare(dialog, "opened", true)
        mouseClick(find("cancelReset", dialog.footer))
        tryCompare(dialog, "visible", false)
        compare(ConfigViewModel.minSceneTime, 7)
        mouseClick(find("resetSettingsButton", window.settings.content))
        tryCompare(dialog, "opened", true)
        mouseClick(find("confirmReset", dialog.footer))
        tryCompare(dialog, "visible", false)
        compare(ConfigViewModel.minSceneTime, 30)
        closeSettings()
    }
}
