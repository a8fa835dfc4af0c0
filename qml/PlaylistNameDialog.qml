import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0
import "Logic.js" as Logic

// Names a new playlist. A name that cannot be used is said as it is typed;
// a playlist the program then fails to create keeps the dialog open with
// the program's reason, so nothing closes silently.
Dialog {
    id: dialog

    property var existingNames: []
    // function(name): "" once created, else why not.
    property var create: null
    // Why the last attempt failed, as the program said it.
    property string failure: ""
    readonly property string problem: Logic.playlistNameProblem(nameField.text, existingNames, "",
                                                                ConfigViewModel.playlistNameProblem(nameField.text))

    signal created()

    function openForNew() {
        nameField.text = qsTr("New playlist")
        failure = ""
        open()
        nameField.forceActiveFocus()
        nameField.selectAll()
    }

    function tryCreate() {
        if (problem.length > 0 || !create)
            return
        failure = create(nameField.text)
        if (failure.length > 0)
            return
        close()
        created()
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    title: qsTr("New playlist")
    width: 400

    ColumnLayout {
        width: parent.width
        spacing: 8
        Label {
            text: qsTr("Name:")
        }
        TextField {
            id: nameField
            objectName: "newPlaylistName"
            Layout.fillWidth: true
            selectByMouse: true
            Accessible.name: qsTr("Name of the new playlist")
            onTextEdited: dialog.failure = ""
            onAccepted: dialog.tryCreate()
        }
        Label {
            objectName: "newPlaylistProblem"
            text: dialog.failure.length > 0 ? dialog.failure : dialog.problem
            textFormat: Text.PlainText
            visible: text.length > 0
            color: Theme.error
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
        Label {
            text: qsTr("The new playlist becomes active and runs in the player.")
            color: Material.hintTextColor
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
    }

    footer: DialogButtonBox {
        DialogButton {
            objectName: "confirmNew"
            text: qsTr("Create")
            enabled: dialog.problem.length === 0
            // Not the accept role: a refusal keeps the dialog open.
            DialogButtonBox.buttonRole: DialogButtonBox.ActionRole
            onClicked: dialog.tryCreate()
        }
        DialogButton {
            objectName: "cancelNew"
            text: qsTr("Cancel")
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }
}
