import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// Search, order, the active playlist's selection count and the main menu.
ToolBar {
    id: bar

    property alias searchText: searchField.text
    property bool sortByName: false

    signal settingsRequested()
    signal searchTextEdited()

    function focusSearch() {
        searchField.forceActiveFocus()
        searchField.selectAll()
    }

    function clearSearch() {
        if (searchField.text.length > 0)
            searchField.text = ""
        ConfigViewModel.searchScenes("")
    }

    Material.elevation: 2

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 4
        spacing: 8

        Label {
            text: "Kelvra"
            font.pixelSize: 20
            font.weight: Font.DemiBold
            color: Material.accent
        }

        TextField {
            id: searchField
            objectName: "searchField"
            Layout.preferredWidth: 320
            placeholderText: qsTr("Search scene names… (Ctrl+F)")
            selectByMouse: true
            Accessible.name: qsTr("Search scenes by name")
            Accessible.role: Accessible.EditableText
            onTextEdited: {
                ConfigViewModel.searchScenes(text)
                bar.searchTextEdited()
            }
            Keys.onEscapePressed: bar.clearSearch()
        }

        ToolButton {
            text: "✕"
            enabled: searchField.text.length > 0
            onClicked: bar.clearSearch()
            ToolTip.visible: hovered
            ToolTip.text: qsTr("Clear search")
            Accessible.name: qsTr("Clear search")
        }

        Label {
            text: qsTr("Order:")
            leftPadding: 12
        }

        TabBar {
            id: orderBar
            objectName: "orderBar"
            currentIndex: bar.sortByName ? 1 : 0
            background: null
            TabButton {
                text: qsTr("Newest")
                width: implicitWidth
                onClicked: bar.sortByName = false
                Accessible.name: qsTr("Order newest first")
            }
            TabButton {
                text: qsTr("Name")
                width: implicitWidth
                onClicked: bar.sortByName = true
                Accessible.name: qsTr("Order by name")
            }
        }

        Item { Layout.fillWidth: true }

        Label {
            objectName: "selectedCountLabel"
            readonly property var playlist: ConfigViewModel.activePlaylist
            text: playlist
                  ? qsTr("Selected in “%1”: %2").arg(playlist.name).arg(playlist.scenesSelected)
                  : qsTr("No active playlist")
            textFormat: Text.PlainText
            elide: Text.ElideMiddle
            Layout.maximumWidth: 320
        }

        ToolButton {
            text: "⚙"
            font.pixelSize: 18
            onClicked: bar.settingsRequested()
            ToolTip.visible: hovered
            ToolTip.text: qsTr("Settings (Ctrl+,)")
            Accessible.name: qsTr("Settings")
        }

        ToolButton {
            id: menuButton
            text: "☰"
            font.pixelSize: 18
            onClicked: mainMenu.open()
            Accessible.name: qsTr("Main menu")
            Menu {
                id: mainMenu
                y: menuButton.height
                MenuItem {
                    text: qsTr("Settings…")
                    onTriggered: bar.settingsRequested()
                }
                MenuSeparator {}
                MenuItem {
                    text: qsTr("Quit (Ctrl+Q)")
                    onTriggered: Qt.quit()
                }
            }
        }
    }
}
