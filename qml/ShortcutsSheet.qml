import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15

// Every keyboard shortcut of the window, grouped as the window is: opened
// with F1 or Ctrl+? and from the main menu.
Dialog {
    id: sheet
    objectName: "shortcutsSheet"

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(620, parent ? parent.width - 48 : 620)
    height: Math.min(implicitHeight, parent ? parent.height - 48 : implicitHeight)
    modal: true
    focus: true
    title: qsTr("Keyboard shortcuts")
    standardButtons: Dialog.Close

    onOpened: standardButton(Dialog.Close).forceActiveFocus()

    // Keys are shown as the desktop names them (Ctrl, Shift, Del).
    readonly property var groups: [
        { title: qsTr("Finding scenes"), keys: [
            [qsTr("Ctrl+F"), qsTr("Search scene names")],
            [qsTr("Enter or Down"), qsTr("From the search field to the scenes")],
            [qsTr("Tab, arrow keys, Space"), qsTr("Move between and switch the filters")] ] },
        { title: qsTr("The scene grid"), keys: [
            [qsTr("Arrow keys"), qsTr("Move between scenes")],
            [qsTr("Home, End, Page Up, Page Down"), qsTr("First, last scene, a screen up or down")],
            [qsTr("Space"), qsTr("Add the scene to the active playlist or take it out")],
            [qsTr("Enter"), qsTr("Preview the scene in the player")],
            [qsTr("Ctrl+A"), qsTr("Select every visible scene")],
            [qsTr("Ctrl+Shift+A"), qsTr("Deselect every visible scene")],
            [qsTr("Ctrl+I"), qsTr("Invert the selection of the visible scenes")],
            [qsTr("Ctrl+T"), qsTr("Add a tag to the selected scenes")],
            [qsTr("Ctrl+click"), qsTr("Add the scene to the active playlist or take it out")],
            [qsTr("Shift+click"), qsTr("Add every visible scene from the last clicked to this one")],
            [qsTr("Ctrl+plus, Ctrl+minus"), qsTr("Bigger or smaller thumbnails")],
            [qsTr("Ctrl+0"), qsTr("Thumbnails at the usual size")] ] },
        { title: qsTr("Playlists"), keys: [
            [qsTr("Ctrl+N"), qsTr("New playlist")],
            [qsTr("F2"), qsTr("Rename the active playlist")],
            [qsTr("Del"), qsTr("Delete the focused playlist (asks first)")] ] },
        { title: qsTr("The program"), keys: [
            [qsTr("Ctrl+Z"), qsTr("Undo the last scene edit, deleted playlist or change of the ticks")],
            [qsTr("Ctrl+O"), qsTr("Import scene packages")],
            [qsTr("Ctrl+L"), qsTr("Show or hide playlists and filters")],
            [qsTr("Ctrl+D"), qsTr("Show or hide the scene details")],
            [qsTr("Ctrl+,"), qsTr("Settings")],
            [qsTr("F1 or Ctrl+?"), qsTr("This list")],
            [qsTr("Ctrl+Q"), qsTr("Quit")] ] }
    ]

    ScrollView {
        id: scroller
        anchors.fill: parent
        clip: true
        contentWidth: availableWidth

        ColumnLayout {
            width: scroller.availableWidth
            spacing: 4

            Repeater {
                model: sheet.groups
                delegate: ColumnLayout {
                    readonly property var group: modelData
                    Layout.fillWidth: true
                    spacing: 2
                    Label {
                        Layout.topMargin: index > 0 ? 12 : 0
                        text: group.title
                        font.bold: true
                        Accessible.role: Accessible.Heading
                        Accessible.name: text
                    }
                    Repeater {
                        model: group.keys
                        delegate: RowLayout {
                            Layout.fillWidth: true
                            spacing: 16
                            Accessible.role: Accessible.StaticText
                            Accessible.name: modelData[0] + ": " + modelData[1]
                            Label {
                                Layout.preferredWidth: 200
                                text: modelData[0]
                                font.family: "monospace"
                                wrapMode: Text.WordWrap
                                Accessible.ignored: true
                            }
                            Label {
                                Layout.fillWidth: true
                                text: modelData[1]
                                wrapMode: Text.WordWrap
                                Accessible.ignored: true
                            }
                        }
                    }
                }
            }
        }
    }
}
