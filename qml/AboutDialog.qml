import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// The release, the licence and the two folders the program works in, each
// with a button that opens it in the file manager.
Dialog {
    id: about
    objectName: "aboutDialog"

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(560, parent ? parent.width - 48 : 560)
    modal: true
    focus: true
    title: qsTr("About Kelvra Config")
    standardButtons: Dialog.Close

    onOpened: standardButton(Dialog.Close).forceActiveFocus()

    component FolderRow: RowLayout {
        id: row
        property string label
        property string path
        Layout.fillWidth: true
        spacing: 8
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 0
            Label {
                text: row.label
                font.bold: true
            }
            Label {
                Layout.fillWidth: true
                text: row.path
                textFormat: Text.PlainText
                elide: Text.ElideMiddle
                ToolTip.visible: pathHover.hovered && truncated
                ToolTip.text: text
                HoverHandler { id: pathHover }
                Accessible.role: Accessible.StaticText
                Accessible.name: row.label + ": " + text
            }
        }
        Button {
            text: qsTr("Open folder")
            flat: true
            enabled: row.path !== ""
            Accessible.name: qsTr("Open the folder %1").arg(row.label)
            onClicked: ApplicationInfo.openFolder(row.path)
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 12

        Label {
            objectName: "aboutVersion"
            text: qsTr("Version %1 (build %2)").arg(ApplicationInfo.version).arg(ApplicationInfo.build)
            font.pixelSize: 16
        }
        Label {
            Layout.fillWidth: true
            text: qsTr("The configuration program of the Kelvra music visualiser: choose the scenes the player "
                       + "shows, their playlists and how the player shows them.")
            wrapMode: Text.WordWrap
        }
        Label {
            Layout.fillWidth: true
            text: ApplicationInfo.licence
            textFormat: Text.PlainText
            wrapMode: Text.WordWrap
            opacity: 0.8
        }
        FolderRow {
            label: qsTr("Program folder")
            path: ApplicationInfo.applicationDirectory
        }
        FolderRow {
            label: qsTr("Your folder (scenes, playlists, settings)")
            path: ApplicationInfo.userDirectory
        }
    }
}
