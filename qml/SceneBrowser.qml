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
    property alias grid: grid

    signal clearFiltersRequested()

    function focusGrid() {
        grid.forceActiveFocus()
    }

    function scrollToTop() {
        grid.positionViewAtBeginning()
    }

    function applySortOrder(byName) {
        scenes.sort(byName ? 0 : -1)
        scrollToTop()
    }

    function setSceneSelected(scene, value) {
        if (scene && hasActivePlaylist)
            scene.selected = value
    }

    function activate(index) {
        if (index < 0 || index >= grid.count)
            return
        grid.currentIndex = index
        if (grid.currentItem)
            ConfigViewModel.activeScene = grid.currentItem.scene
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

        // Bulk actions on the visible scenes and edits of the selected ones.
        ToolBar {
            Layout.fillWidth: true
            Material.elevation: 0
            Material.background: "transparent"
            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: 8
                spacing: 2
                ToolButton {
                    text: qsTr("Select all")
                    enabled: browser.hasActivePlaylist && browser.visibleCount > 0
                    onClicked: browser.selectAll()
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Select every visible scene (Ctrl+A)")
                    Accessible.name: text
                }
                ToolButton {
                    text: qsTr("None")
                    enabled: browser.hasActivePlaylist && browser.visibleCount > 0
                    onClicked: browser.deselectAll()
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Deselect every visible scene (Ctrl+Shift+A)")
                    Accessible.name: qsTr("Deselect all visible scenes")
                }
                ToolButton {
                    text: qsTr("Toggle")
                    enabled: browser.hasActivePlaylist && browser.visibleCount > 0
                    onClicked: browser.toggleAll()
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Invert the selection of every visible scene (Ctrl+I)")
                    Accessible.name: qsTr("Toggle selection of visible scenes")
                }
                ToolSeparator {}
                ToolButton {
                    objectName: "addTagButton"
                    text: qsTr("+ Tag")
                    onClicked: tagEditor.openFor(true)
                    Accessible.name: qsTr("Add a tag to the selected scenes")
                }
                ToolButton {
                    objectName: "removeTagButton"
                    text: qsTr("− Tag")
                    onClicked: tagEditor.openFor(false)
                    Accessible.name: qsTr("Remove a tag from the selected scenes")
                }
                ToolButton {
                    id: licenceButton
                    text: qsTr("Relicensing ▾")
                    onClicked: licenceMenu.open()
                    Accessible.name: qsTr("Relicensing of the selected scenes")
                    Menu {
                        id: licenceMenu
                        y: licenceButton.height
                        MenuItem {
                            text: qsTr("Allow relicensing of the selected scenes")
                            onTriggered: ConfigViewModel.relicensingPossible(true)
                        }
                        MenuItem {
                            text: qsTr("Forbid relicensing of the selected scenes")
                            onTriggered: ConfigViewModel.relicensingPossible(false)
                        }
                    }
                }
                Item { Layout.fillWidth: true }
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
                keyNavigationEnabled: true
                highlightFollowsCurrentItem: true
                currentIndex: -1
                boundsBehavior: Flickable.StopAtBounds

                readonly property int minCardWidth: 190
                readonly property int columns: Math.max(1, Math.floor(width / minCardWidth))
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
                    }
                    onDoubleClicked: ConfigViewModel.previewSelectedScene()
                    onSelectToggled: browser.setSceneSelected(scene, value)
                    onMenuRequested: sceneMenu.popup(this, x, y)
                }

                onCurrentIndexChanged: {
                    if (activeFocus && currentItem)
                        ConfigViewModel.activeScene = currentItem.scene
                }

                Keys.onSpacePressed: {
                    if (currentItem)
                        browser.setSceneSelected(currentItem.scene, !currentItem.scene.selected)
                }
                Keys.onPressed: {
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

        Label {
            objectName: "countLabel"
            Layout.alignment: Qt.AlignRight
            Layout.margins: 6
            Layout.rightMargin: 16
            text: qsTr("%1 of %2 scenes shown").arg(browser.visibleCount).arg(browser.totalCount)
            color: Material.secondaryTextColor
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

    // One menu for every card: the active scene's actions.
    Menu {
        id: sceneMenu
        objectName: "sceneMenu"
        readonly property QtObject scene: ConfigViewModel.activeScene
        MenuItem {
            text: qsTr("Preview")
            enabled: sceneMenu.scene !== null
            onTriggered: ConfigViewModel.previewSelectedScene()
        }
        MenuItem {
            text: qsTr("Preview in VR")
            enabled: sceneMenu.scene !== null
            onTriggered: ConfigViewModel.previewSelectedSceneVR()
        }
        MenuSeparator {}
        MenuItem {
            text: sceneMenu.scene && sceneMenu.scene.selected ? qsTr("Remove from the playlist")
                                                              : qsTr("Add to the playlist")
            enabled: sceneMenu.scene !== null && browser.hasActivePlaylist
            onTriggered: browser.setSceneSelected(sceneMenu.scene, !sceneMenu.scene.selected)
        }
        onClosed: grid.forceActiveFocus()
    }

    TagEditPopup {
        id: tagEditor
        objectName: "tagEditor"
        anchors.centerIn: Overlay.overlay
    }
}
