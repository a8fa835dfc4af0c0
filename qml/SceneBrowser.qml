import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// The scene grid with its bulk actions above and the counts below.
Pane {
    id: browser

    readonly property var scenes: ConfigViewModel.filteredScenes
    readonly property int visibleCount: grid.count
    readonly property int totalCount: ConfigViewModel.allScenes ? ConfigViewModel.allScenes.count : 0
    readonly property bool hasActivePlaylist: ConfigViewModel.activePlaylist !== null
    // Scenes selected in the active playlist: what the edits change.
    readonly property int tickedCount: hasActivePlaylist ? ConfigViewModel.activePlaylist.scenesSelected : 0
    readonly property bool canEdit: tickedCount > 0 && !ConfigViewModel.bulkEditRunning
    readonly property string editHint: ConfigViewModel.bulkEditRunning
                                       ? qsTr("Wait until the running edit ends")
                                       : qsTr("Select scenes in the active playlist first")
    property alias grid: grid
    property alias bulkEditDialog: bulkEditDialog

    // The scene under the grid's current item while the filter changes the
    // rows: it stays current when still visible, else nothing is.
    property QtObject followedScene: null
    property bool following: false

    signal clearFiltersRequested()

    function focusGrid() {
        grid.forceActiveFocus()
    }

    function scrollToTop() {
        grid.positionViewAtBeginning()
    }

    // The header orders the scenes itself (sortKey, sortDescending); here
    // the grid goes back to its first scene.
    function applySortOrder(byName) {
        scrollToTop()
    }

    // The width of a card, in steps; the grid fits as many columns as
    // cards of at least this width fit. Remembered by WindowState.
    readonly property int minCardWidth: 160
    readonly property int maxCardWidth: 400
    readonly property int defaultCardWidth: 190
    readonly property int cardWidthStep: 30
    property int cardWidth: defaultCardWidth

    function setCardWidth(value) {
        cardWidth = Math.max(minCardWidth, Math.min(maxCardWidth, Math.round(value)))
    }
    function growCards() { setCardWidth(cardWidth + cardWidthStep) }
    function shrinkCards() { setCardWidth(cardWidth - cardWidthStep) }
    function resetCards() { cardWidth = defaultCardWidth }

    // The scene last clicked or Ctrl+clicked: where a Shift+click range
    // starts. Kept as the scene, so the range follows it through filtering.
    property QtObject anchorScene: null

    // Ctrl+click toggles the scene's tick, Shift+click ticks every visible
    // scene from the anchor to this one. Ticking needs an active playlist;
    // without one the click is a plain one.
    function modifiedClick(index, scene, modifiers) {
        grid.forceActiveFocus()
        if (!hasActivePlaylist || !scene) {
            activate(index)
            anchorScene = scene
            return
        }
        if (modifiers & Qt.ShiftModifier) {
            var from = ConfigViewModel.visibleRowOf(anchorScene)
            ConfigViewModel.selectVisibleRange(from < 0 ? index : from, index)
            if (from < 0)
                anchorScene = scene
        } else {
            setSceneSelected(scene, !scene.selected)
            anchorScene = scene
        }
    }

    function setSceneSelected(scene, value) {
        if (scene && hasActivePlaylist)
            scene.selected = value
    }

    function activate(index) {
        if (index < 0 || index >= grid.count)
            return
        grid.currentIndex = index
        grid.positionViewAtIndex(index, GridView.Contain)
        if (grid.currentItem)
            ConfigViewModel.activeScene = grid.currentItem.scene
    }

    // Where a navigation key moves the current item, or -1 for a key that
    // is not one. Up and down keep the column; a page is the rows in sight.
    function targetOf(key, modifiers) {
        var last = grid.count - 1
        var index = grid.currentIndex
        var columns = grid.columns
        var page = columns * Math.max(1, Math.floor(grid.height / grid.cellHeight))
        if (last < 0)
            return -1
        if (index < 0)
            return (key === Qt.Key_End) ? last : 0
        switch (key) {
        case Qt.Key_Left: return Math.max(0, index - 1)
        case Qt.Key_Right: return Math.min(last, index + 1)
        case Qt.Key_Up: return index - columns >= 0 ? index - columns : index
        case Qt.Key_Down: return index + columns <= last ? index + columns : index
        case Qt.Key_Home: return 0
        case Qt.Key_End: return last
        case Qt.Key_PageUp: return index - page >= 0 ? index - page : index % columns
        case Qt.Key_PageDown:
            if (index + page <= last)
                return index + page
            // The last row, same column when it reaches that far.
            var lastRowStart = last - last % columns
            return Math.min(last, lastRowStart + index % columns)
        }
        return -1
    }

    function rememberCurrent() {
        if (following)
            return
        following = true
        followedScene = grid.currentItem ? grid.currentItem.scene : null
    }

    // Called once the change is complete: the view takes in model changes
    // after its observers hear of them, and would move its current item
    // again afterwards.
    function restoreCurrent() {
        if (!following)
            return
        following = false
        grid.currentIndex = ConfigViewModel.visibleRowOf(followedScene)
        followedScene = null
    }

    function openBulkEdit(kind, value) {
        bulkEditDialog.openFor(kind, value)
    }

    function selectAll() {
        ConfigViewModel.selectAllScenes()
    }

    function deselectAll() {
        ConfigViewModel.deselectAllScenes()
    }

    function toggleAll() {
        ConfigViewModel.toggleAllScenes()
    }

    padding: 0
    // A frame only: the grid and the buttons speak for themselves, and the
    // focus belongs to them, not to the frame.
    Accessible.ignored: true

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        BulkToolbar {
            Layout.fillWidth: true
            sceneBrowser: browser
        }

        // An edit of many scenes in progress, with the way to stop it.
        Pane {
            objectName: "bulkEditProgress"
            visible: ConfigViewModel.bulkEditRunning
            Layout.fillWidth: true
            Layout.leftMargin: 8
            Layout.rightMargin: 8
            padding: 6
            Material.elevation: 2
            RowLayout {
                anchors.fill: parent
                spacing: 8
                Label {
                    Layout.fillWidth: true
                    text: qsTr("%1… %2 of %3 done").arg(ConfigViewModel.bulkEditDescription)
                          .arg(ConfigViewModel.bulkEditDone).arg(ConfigViewModel.bulkEditTotal)
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                }
                ProgressBar {
                    Layout.preferredWidth: 120
                    from: 0
                    to: Math.max(1, ConfigViewModel.bulkEditTotal)
                    value: ConfigViewModel.bulkEditDone
                    Accessible.name: qsTr("Progress of the edit")
                }
                DialogButton {
                    objectName: "cancelBulkEdit"
                    text: qsTr("Cancel")
                    flat: true
                    onClicked: ConfigViewModel.cancelBulkEdit()
                    Accessible.name: qsTr("Cancel the edit of the scenes")
                }
            }
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            GridView {
                id: grid
                objectName: "sceneGrid"
                anchors.fill: parent
                anchors.leftMargin: 8
                clip: true
                focus: true
                activeFocusOnTab: true
                model: browser.scenes
                reuseItems: true
                cacheBuffer: 400
                // Every key that moves the current item goes through
                // browser.activate, so the active scene follows the user and
                // not the view's own adjustments to model changes.
                keyNavigationEnabled: false
                highlightFollowsCurrentItem: true
                currentIndex: -1
                boundsBehavior: Flickable.StopAtBounds

                // At the usual card width or less: two narrower cards rather
                // than one wide one while they fit.
                readonly property int columns: Math.max(browser.cardWidth <= browser.defaultCardWidth && width >= 2 * 150 ? 2 : 1,
                                                        Math.floor(width / browser.cardWidth))
                cellWidth: Math.floor(width / columns)
                cellHeight: Math.round((cellWidth - 12) * 9 / 16) + 96

                Accessible.name: qsTr("Scenes")
                Accessible.role: Accessible.List

                delegate: SceneCard {
                    id: card
                    // The view keeps cards beyond its edges and in its reuse
                    // pool; only the cards in sight are shown, so that a
                    // screen reader announces what the user sees.
                    property bool pooled: false
                    visible: !pooled && y + height > grid.contentY && y < grid.contentY + grid.height
                    GridView.onPooled: pooled = true
                    GridView.onReused: pooled = false
                    width: grid.cellWidth
                    height: grid.cellHeight
                    scene: model
                    isCurrent: GridView.isCurrentItem
                    isActive: scene !== null && ConfigViewModel.activeScene === scene
                    selectionEnabled: browser.hasActivePlaylist
                    onClicked: {
                        grid.forceActiveFocus()
                        browser.activate(index)
                        browser.anchorScene = scene
                    }
                    onModifiedClicked: browser.modifiedClick(index, scene, modifiers)
                    onDoubleClicked: ConfigViewModel.previewSelectedScene()
                    onSelectToggled: browser.setSceneSelected(scene, value)
                    onMenuRequested: sceneMenu.popup(this, x, y)
                }

                Keys.onSpacePressed: {
                    if (currentItem)
                        browser.setSceneSelected(currentItem.scene, !currentItem.scene.selected)
                }
                Keys.onPressed: {
                    var target = browser.targetOf(event.key, event.modifiers)
                    if (target >= 0) {
                        browser.activate(target)
                        event.accepted = true
                        return
                    }
                    var menuKey = event.key === Qt.Key_Menu
                            || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))
                    if (menuKey && currentItem) {
                        browser.activate(currentIndex)
                        sceneMenu.popup(currentItem, currentItem.width / 2, currentItem.height / 2)
                        event.accepted = true
                    }
                }
                Keys.onReturnPressed: {
                    browser.activate(currentIndex)
                    ConfigViewModel.previewSelectedScene()
                }
                Keys.onEnterPressed: {
                    browser.activate(currentIndex)
                    ConfigViewModel.previewSelectedScene()
                }
                onActiveFocusChanged: {
                    if (activeFocus && currentIndex < 0 && count > 0)
                        browser.activate(0)
                }

                ScrollBar.vertical: NamedScrollBar { name: qsTr("Scroll the scenes") }
            }

            Connections {
                target: browser.scenes
                function onRowsAboutToBeRemoved() { browser.rememberCurrent() }
                function onRowsRemoved() { Qt.callLater(browser.restoreCurrent) }
                function onRowsAboutToBeInserted() { browser.rememberCurrent() }
                function onRowsInserted() { Qt.callLater(browser.restoreCurrent) }
                function onRowsAboutToBeMoved() { browser.rememberCurrent() }
                function onRowsMoved() { Qt.callLater(browser.restoreCurrent) }
                function onLayoutAboutToBeChanged() { browser.rememberCurrent() }
                function onLayoutChanged() { Qt.callLater(browser.restoreCurrent) }
                function onModelAboutToBeReset() { browser.rememberCurrent() }
                function onModelReset() { Qt.callLater(browser.restoreCurrent) }
            }

            // Said instead of an empty area.
            Column {
                anchors.centerIn: parent
                visible: grid.count === 0
                spacing: 12
                Label {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: browser.totalCount === 0 ? qsTr("No scenes are installed.")
                                                   : qsTr("No scenes match.")
                    font.pixelSize: 18
                }
                Button {
                    objectName: "clearFiltersButton"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: browser.totalCount > 0
                    text: qsTr("Clear filters")
                    onClicked: browser.clearFiltersRequested()
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 6
            Layout.rightMargin: 16
            Layout.leftMargin: 12

            Label {
                text: qsTr("Size:")
                color: Material.secondaryTextColor
            }
            Slider {
                id: cardSizeSlider
                objectName: "cardSizeSlider"
                from: browser.minCardWidth
                to: browser.maxCardWidth
                stepSize: browser.cardWidthStep
                snapMode: Slider.SnapAlways
                value: browser.cardWidth
                onMoved: browser.setCardWidth(value)
                Layout.preferredWidth: 140
                ToolTip.visible: hovered || pressed
                ToolTip.text: qsTr("Thumbnail size (Ctrl+plus, Ctrl+minus, Ctrl+0)")
                Accessible.name: qsTr("Thumbnail size")
                // The accessible range is read from these names.
                readonly property real minimumValue: from
                readonly property real maximumValue: to
                FocusRing {}
            }
            Item { Layout.fillWidth: true }
            Label {
                objectName: "countLabel"
                text: qsTr("%1 of %2 scenes shown").arg(browser.visibleCount).arg(browser.totalCount)
                color: Material.secondaryTextColor
            }
        }
    }

    Shortcut {
        sequence: "Ctrl+A"
        enabled: browser.hasActivePlaylist
        onActivated: browser.selectAll()
    }
    Shortcut {
        sequence: "Ctrl+Shift+A"
        enabled: browser.hasActivePlaylist
        onActivated: browser.deselectAll()
    }
    Shortcut {
        sequence: "Ctrl+I"
        enabled: browser.hasActivePlaylist
        onActivated: browser.toggleAll()
    }
    Shortcut {
        sequence: "Ctrl+T"
        enabled: browser.canEdit
        onActivated: browser.openBulkEdit(ConfigViewModel.BulkAddTag, true)
    }

    // One menu for every card: the active scene's actions.
    Menu {
        id: sceneMenu
        objectName: "sceneMenu"
        readonly property QtObject scene: ConfigViewModel.activeScene
        MenuItem {
            text: qsTr("Preview")
            enabled: sceneMenu.scene !== null && sceneMenu.scene.readable
            onTriggered: ConfigViewModel.previewSelectedScene()
        }
        MenuItem {
            text: qsTr("Preview in VR")
            enabled: sceneMenu.scene !== null && sceneMenu.scene.readable
            onTriggered: ConfigViewModel.previewSelectedSceneVR()
        }
        MenuSeparator {}
        MenuItem {
            text: sceneMenu.scene && sceneMenu.scene.selected ? qsTr("Remove from the playlist")
                                                              : qsTr("Add to the playlist")
            enabled: sceneMenu.scene !== null && browser.hasActivePlaylist
            onTriggered: browser.setSceneSelected(sceneMenu.scene, !sceneMenu.scene.selected)
        }
        MenuSeparator {}
        MenuItem {
            objectName: "openFolderMenuItem"
            text: qsTr("Open containing folder")
            enabled: sceneMenu.scene !== null && sceneMenu.scene.filepath.length > 0
            onTriggered: ApplicationInfo.openContainingFolder(sceneMenu.scene.filepath)
            Accessible.name: text
        }
        onClosed: grid.forceActiveFocus()
    }

    BulkEditDialog {
        id: bulkEditDialog
        objectName: "bulkEditDialog"
        anchors.centerIn: Overlay.overlay
        onClosed: grid.forceActiveFocus()
    }
}
