import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// Search, order, the active playlist's selection count, the side panels'
// toggles and the main menu. In a compact window the order and the count
// move into the main menu, which always holds every action of the bar.
ToolBar {
    id: bar

    property alias searchText: searchField.text
    // The order of the scenes: a CScenesFilterViewModel sort key (0 newest,
    // 1 name, 2 author, 3 type) and its direction. sortByName is the same
    // choice seen as name or not, for those that only know those two.
    property int sortKey: 0
    property bool sortDescending: false
    property bool sortByName: false
    property bool compact: false
    property bool sidePanelShown: true
    property bool detailsShown: true
    property alias mainMenu: mainMenu

    readonly property var orderNames: [qsTr("Newest"), qsTr("Name"), qsTr("Author"), qsTr("Type")]
    readonly property var orderDescriptions: [qsTr("Order newest first"), qsTr("Order by name"),
                                              qsTr("Order by author"), qsTr("Order by type")]

    onSortByNameChanged: {
        if (sortByName !== (sortKey === 1))
            sortKey = sortByName ? 1 : 0
    }
    onSortKeyChanged: {
        if (sortByName !== (sortKey === 1))
            sortByName = sortKey === 1
        applyOrder()
    }
    onSortDescendingChanged: applyOrder()

    function applyOrder() {
        if (ConfigViewModel.filteredScenes)
            ConfigViewModel.filteredScenes.sortBy(sortKey, sortDescending)
    }

    signal settingsRequested()
    signal searchTextEdited()
    // Enter or Down in the search field: the user wants the results.
    signal resultsRequested()
    signal sidePanelToggled()
    signal detailsToggled()
    signal importRequested()
    signal shortcutsRequested()
    signal aboutRequested()

    function focusSearch() {
        searchField.forceActiveFocus()
        searchField.selectAll()
    }

    function clearSearch() {
        if (searchField.text.length > 0)
            searchField.text = ""
        ConfigViewModel.searchScenes("")
    }

    // Spaces typed around a name are never part of it.
    function search(text) {
        ConfigViewModel.searchScenes(String(text).trim())
    }

    readonly property string selectedCountText: {
        var playlist = ConfigViewModel.activePlaylist
        return playlist ? qsTr("Selected in “%1”: %2").arg(playlist.name).arg(playlist.scenesSelected)
                        : qsTr("No active playlist")
    }

    Material.elevation: 2

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 4
        anchors.rightMargin: 4
        spacing: 6

        ToolButton {
            objectName: "sidePanelToggle"
            text: bar.sidePanelShown ? "⇤" : "⇥"
            font.pixelSize: 18
            onClicked: bar.sidePanelToggled()
            ToolTip.visible: hovered
            ToolTip.text: bar.sidePanelShown ? qsTr("Hide playlists and filters (Ctrl+L)")
                                             : qsTr("Show playlists and filters (Ctrl+L)")
            Accessible.name: bar.sidePanelShown ? qsTr("Hide playlists and filters")
                                                : qsTr("Show playlists and filters")
            FocusRing {}
        }

        Label {
            visible: !bar.compact
            text: "Kelvra"
            font.pixelSize: 20
            font.weight: Font.DemiBold
            color: Material.accent
        }

        TextField {
            id: searchField
            objectName: "searchField"
            Layout.fillWidth: true
            Layout.minimumWidth: 160
            Layout.maximumWidth: 320
            placeholderText: qsTr("Search scene names… (Ctrl+F)")
            selectByMouse: true
            Accessible.name: qsTr("Search scenes by name")
            Accessible.role: Accessible.EditableText
            onTextEdited: {
                bar.search(text)
                bar.searchTextEdited()
            }
            Keys.onEscapePressed: bar.clearSearch()
            Keys.onReturnPressed: bar.resultsRequested()
            Keys.onEnterPressed: bar.resultsRequested()
            Keys.onDownPressed: bar.resultsRequested()
            FocusRing { shown: searchField.activeFocus }
        }

        ToolButton {
            text: "✕"
            enabled: searchField.text.length > 0
            onClicked: bar.clearSearch()
            ToolTip.visible: hovered
            ToolTip.text: qsTr("Clear search")
            Accessible.name: qsTr("Clear search")
            FocusRing {}
        }

        Label {
            visible: !bar.compact
            text: qsTr("Order:")
            leftPadding: 6
        }

        TabBar {
            id: orderBar
            objectName: "orderBar"
            visible: !bar.compact
            currentIndex: bar.sortKey
            background: null
            Repeater {
                model: bar.orderNames.length
                TabButton {
                    text: bar.orderNames[index]
                    width: implicitWidth
                    onClicked: bar.sortKey = index
                    Accessible.name: bar.orderDescriptions[index]
                    FocusRing {}
                }
            }
        }

        ToolButton {
            objectName: "orderDirectionButton"
            visible: !bar.compact
            text: bar.sortDescending ? "↑" : "↓"
            checkable: true
            checked: bar.sortDescending
            onClicked: {
                bar.sortDescending = !bar.sortDescending
                checked = Qt.binding(function() { return bar.sortDescending })
            }
            ToolTip.visible: hovered
            ToolTip.text: bar.sortDescending ? qsTr("Reversed order: click for the usual order")
                                             : qsTr("Usual order: click to reverse it")
            Accessible.name: qsTr("Reverse the order")
            FocusRing {}
        }

        Item { Layout.fillWidth: true }

        Label {
            objectName: "selectedCountLabel"
            visible: !bar.compact
            text: bar.selectedCountText
            textFormat: Text.PlainText
            elide: Text.ElideMiddle
            Layout.maximumWidth: 320
        }

        ToolButton {
            objectName: "detailsToggle"
            text: qsTr("Details")
            checkable: true
            checked: bar.detailsShown
            onClicked: {
                bar.detailsToggled()
                checked = Qt.binding(function() { return bar.detailsShown })
            }
            ToolTip.visible: hovered
            ToolTip.text: bar.detailsShown ? qsTr("Hide the scene details (Ctrl+D)")
                                           : qsTr("Show the scene details (Ctrl+D)")
            Accessible.name: qsTr("Scene details")
            FocusRing {}
        }

        ToolButton {
            text: "⚙"
            font.pixelSize: 18
            onClicked: bar.settingsRequested()
            ToolTip.visible: hovered
            ToolTip.text: qsTr("Settings (Ctrl+,)")
            Accessible.name: qsTr("Settings")
            FocusRing {}
        }

        ToolButton {
            id: menuButton
            objectName: "menuButton"
            text: "☰"
            font.pixelSize: 18
            onClicked: mainMenu.open()
            Accessible.name: qsTr("Main menu")
            FocusRing {}
            Menu {
                id: mainMenu
                objectName: "mainMenu"
                title: qsTr("Main menu")
                y: menuButton.height
                // Wide enough for the longest entry with its shortcut, in
                // every language the program speaks.
                width: 360
                // The item that opens a submenu, named like the others.
                delegate: MenuItem { Accessible.name: text }
                // Menu items are named by their text; set here so that a
                // screen reader never hears an unnamed item whatever the
                // style does.
                MenuItem {
                    enabled: false
                    visible: bar.compact
                    height: visible ? implicitHeight : 0
                    text: bar.selectedCountText
                    Accessible.name: text
                }
                MenuItem {
                    objectName: "undoMenuItem"
                    enabled: ConfigViewModel.history.canUndo
                    text: enabled ? qsTr("Undo %1 (Ctrl+Z)").arg(ConfigViewModel.history.undoText)
                                  : qsTr("Undo")
                    onTriggered: ConfigViewModel.undo()
                    Accessible.name: text
                }
                // The order in a menu of its own, so the main menu stays short
                // enough for the smallest window.
                Menu {
                    id: orderMenu
                    objectName: "orderMenu"
                    title: qsTr("Order")
                    MenuItem {
                        text: bar.orderDescriptions[0]
                        checkable: true
                        checked: bar.sortKey === 0
                        onTriggered: {
                            bar.sortKey = 0
                            checked = Qt.binding(function() { return bar.sortKey === 0 })
                        }
                        Accessible.name: text
                    }
                    MenuItem {
                        text: bar.orderDescriptions[1]
                        checkable: true
                        checked: bar.sortKey === 1
                        onTriggered: {
                            bar.sortKey = 1
                            checked = Qt.binding(function() { return bar.sortKey === 1 })
                        }
                        Accessible.name: text
                    }
                    MenuItem {
                        text: bar.orderDescriptions[2]
                        checkable: true
                        checked: bar.sortKey === 2
                        onTriggered: {
                            bar.sortKey = 2
                            checked = Qt.binding(function() { return bar.sortKey === 2 })
                        }
                        Accessible.name: text
                    }
                    MenuItem {
                        text: bar.orderDescriptions[3]
                        checkable: true
                        checked: bar.sortKey === 3
                        onTriggered: {
                            bar.sortKey = 3
                            checked = Qt.binding(function() { return bar.sortKey === 3 })
                        }
                        Accessible.name: text
                    }
                    MenuSeparator {}
                    MenuItem {
                        text: qsTr("Reverse the order")
                        checkable: true
                        checked: bar.sortDescending
                        onTriggered: {
                            bar.sortDescending = !bar.sortDescending
                            checked = Qt.binding(function() { return bar.sortDescending })
                        }
                        Accessible.name: text
                    }
                }
                MenuSeparator {}
                MenuItem {
                    text: bar.sidePanelShown ? qsTr("Hide playlists and filters (Ctrl+L)")
                                             : qsTr("Show playlists and filters (Ctrl+L)")
                    onTriggered: bar.sidePanelToggled()
                    Accessible.name: text
                }
                MenuItem {
                    text: bar.detailsShown ? qsTr("Hide the scene details (Ctrl+D)")
                                           : qsTr("Show the scene details (Ctrl+D)")
                    onTriggered: bar.detailsToggled()
                    Accessible.name: text
                }
                MenuItem {
                    text: qsTr("Settings… (Ctrl+,)")
                    onTriggered: bar.settingsRequested()
                    Accessible.name: text
                }
                MenuItem {
                    objectName: "importMenuItem"
                    text: qsTr("Import scenes… (Ctrl+O)")
                    onTriggered: bar.importRequested()
                    Accessible.name: text
                }
                MenuSeparator {}
                MenuItem {
                    text: qsTr("Keyboard shortcuts (F1)")
                    onTriggered: bar.shortcutsRequested()
                    Accessible.name: text
                }
                MenuItem {
                    objectName: "aboutMenuItem"
                    text: qsTr("About Kelvra Config")
                    onTriggered: bar.aboutRequested()
                    Accessible.name: text
                }
                MenuSeparator {}
                MenuItem {
                    text: qsTr("Quit (Ctrl+Q)")
                    onTriggered: Qt.quit()
                    Accessible.name: text
                }
            }
        }
    }
}
