import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import QtQuick.Controls 2.15
import Kelvra 1.0

// The main window as a screen reader reads it, through the accessible
// interfaces (the `accessibility` object of the test set-up): every
// interactive object named, nothing hidden announced as showing, toggles
// that say whether they are on, numbers with their range.
TestCase {
    id: testCase
    name: "Accessibility"
    when: windowShown

    property var window: null
    property var grid: null
    property var problemsAtStart: []

    // Roles from QAccessible::Role.
    readonly property int roleCheckBox: 0x2C
    readonly property int roleListItem: 0x22
    readonly property int roleSpinBox: 0x34
    readonly property int roleStaticText: 0x29

    function find(name, root) {
        var item = findChild(root || window.contentItem, name)
        verify(item !== null, "no item named " + name)
        return item
    }

    function playlist(name) {
        var lists = ConfigViewModel.playlists
        for (var i = 0; i < lists.length; ++i)
            if (lists[i].name === name)
                return lists[i]
        return null
    }

    function audit() {
        waitForRendering(window.contentItem)
        var problems = accessibility.problems(window)
        for (var i = 0; i < problems.length; ++i)
            console.warn(problems[i])
        compare(problems.length, 0, problems[0])
    }

    function initTestCase() {
        var component = Qt.createComponent("qrc:/qml/Main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = component.createObject(null)
        verify(window !== null)
        // Small enough that the grid scrolls and keeps cards out of sight.
        window.width = 960
        window.height = 600
        window.show()
        window.width = 960
        window.height = 600
        verify(waitForRendering(window.contentItem))
        window.requestActivate()
        tryCompare(window, "active", true)
        grid = find("sceneGrid")
        problemsAtStart = accessibility.problems(window)
    }

    function cleanupTestCase() {
        if (window)
            window.destroy()
    }

    function init() {
        if (window.settings.visible) {
            window.settings.close()
            tryCompare(window.settings, "visible", false)
        }
        find("filterPanel").clearAll()
        ConfigViewModel.activePlaylist = playlist("Evening")
        grid.positionViewAtBeginning()
    }

    function test_startUp() {
        for (var i = 0; i < problemsAtStart.length; ++i)
            console.warn(problemsAtStart[i])
        compare(problemsAtStart.length, 0, problemsAtStart[0])
    }

    // Cards scrolled away or filtered out are kept by the view for reuse;
    // none of them may be announced.
    function test_filteredAndScrolled_data() {
        return [ { tag: "Calm", chip: "tag:Calm", end: false },
                 { tag: "Calm, scrolled", chip: "tag:Calm", end: true },
                 { tag: "scrolled to the end", chip: "", end: true } ]
    }

    function test_filteredAndScrolled(data) {
        if (data.chip.length > 0)
            mouseClick(find(data.chip))
        if (data.end)
            grid.positionViewAtEnd()
        audit()
    }

    function test_chipKeepsItsRoleAndSaysIfOn() {
        var chip = find("tag:Space")
        var off = accessibility.describe(chip)
        mouseClick(chip)
        var on = accessibility.describe(chip)
        compare(off.role, roleCheckBox)
        compare(on.role, off.role)
        verify(off.checkable && on.checkable)
        verify(!off.checked)
        verify(on.checked)
    }

    // A spin box that counts in tenths still says the number in seconds,
    // with its range in seconds, and the number as shown.
    function test_numbersWithTheirRange_data() {
        return [ { tag: "tenths", name: "transitionTime", set: 3, value: 3, minimum: 0, maximum: 60, shown: "3.0 s" },
                 { tag: "silence, tenths", name: "sceneChangeSilenceTime", set: 2.5, value: 2.5, minimum: 0, maximum: 600, shown: "2.5 s" },
                 { tag: "whole", name: "minSceneTime", set: 30, value: 30, minimum: 1, maximum: 3600, shown: "30 s" } ]
    }

    function test_numbersWithTheirRange(data) {
        var before = ConfigViewModel[data.name]
        ConfigViewModel[data.name] = data.set
        window.settings.open()
        tryCompare(window.settings, "opened", true)
        var shown = accessibility.describe(find("spin", find(data.name, window.settings.contentItem)))
        compare(shown.role, roleSpinBox)
        compare(Number(shown.value), data.value)
        compare(Number(shown.minimum), data.minimum)
        compare(Number(shown.maximum), data.maximum)
        compare(shown.description, data.shown)
        audit()
        window.settings.close()
        tryCompare(window.settings, "visible", false)
        ConfigViewModel[data.name] = before
    }

    // Rows are list items that say which one is active; the active one is
    // selected.
    function test_playlistRows() {
        var list = find("playlistList")
        var active = null
        var other = null
        for (var i = 0; i < list.count; ++i) {
            var row = list.itemAtIndex(i)
            if (row.playlist === ConfigViewModel.activePlaylist)
                active = accessibility.describe(row)
            else
                other = accessibility.describe(row)
        }
        verify(active !== null && other !== null)
        compare(active.role, roleListItem)
        compare(other.role, roleListItem)
        verify(active.selected)
        verify(!other.selected)
        verify(active.name.indexOf(qsTr("active")) >= 0, active.name)
        verify(other.name.indexOf(qsTr("active")) < 0, other.name)
    }

    // The details are read with their labels and values.
    function test_detailsAreText() {
        var scene = grid.itemAtIndex(0).scene
        ConfigViewModel.activeScene = scene
        var id = accessibility.describe(find("sceneIdentifier"))
        var file = accessibility.describe(find("sceneFile"))
        compare(id.role, roleStaticText)
        compare(file.role, roleStaticText)
        verify(id.name.indexOf(scene.id) >= 0, id.name)
        verify(file.name.indexOf(scene.filepath) >= 0, file.name)
    }

    // Tab goes from the playlist list to the rows' action buttons.
    function test_tabReachesPlaylistActions() {
        find("playlistList").forceActiveFocus()
        var reached = false
        for (var i = 0; i < 10 && !reached; ++i) {
            keyClick(Qt.Key_Tab)
            reached = window.activeFocusItem && window.activeFocusItem.objectName === "playlistActions"
        }
        verify(reached, "Tab never reaches a playlist's actions")
        compare(accessibility.describe(window.activeFocusItem).focused, true)
    }

    // An open menu reads as named items.
    function test_openMainMenu() {
        var menu = window.headerBar.mainMenu
        menu.open()
        tryCompare(menu, "opened", true)
        for (var i = 0; i < menu.count; ++i) {
            var item = menu.itemAt(i)
            if (item.text !== undefined && item.visible)
                verify(accessibility.describe(item).name.length > 0, "item " + i)
        }
        audit()
        menu.close()
        tryCompare(menu, "visible", false)
    }
}
