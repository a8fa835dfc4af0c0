import QtQuick 2.15
import QtQuick.Controls 2.15

// Asks before a playlist's file is removed. The focus starts on "Delete";
// Return presses the button the focus is on, Escape cancels.
Dialog {
    id: dialog

    property QtObject playlist: null
    // Whether the player runs the playlist, so the user hears what changes.
    property bool runs: false

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    title: qsTr("Delete playlist")
    width: 400
    onOpened: deleteButton.forceActiveFocus()

    Label {
        width: parent.width
        text: dialog.playlist
              ? (dialog.runs
                 ? qsTr("Delete the playlist “%1”? Its file is removed, and the player runs the active playlist instead.")
                 : qsTr("Delete the playlist “%1”? Its file is removed.")).arg(dialog.playlist.name)
              : ""
        textFormat: Text.PlainText
        wrapMode: Text.WordWrap
    }

    footer: DialogButtonBox {
        DialogButton {
            id: deleteButton
            objectName: "confirmDelete"
            text: qsTr("Delete")
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
        }
        DialogButton {
            objectName: "cancelDelete"
            text: qsTr("Cancel")
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }
}
