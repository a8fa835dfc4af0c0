import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// Adds a tag to, or removes it from, every selected scene (also the ones the
// filter hides). The scene files are rewritten at once.
Dialog {
    id: dialog

    property bool adding: true
    property int affected: 0
    readonly property string tagText: field.editText.trim()

    signal applied()

    function openFor(add) {
        adding = add
        affected = ConfigViewModel.scenesSelected
        field.editText = ""
        open()
        field.forceActiveFocus()
    }

    function knownTags() {
        var result = []
        var tags = ConfigViewModel.tags
        for (var i = 0; i < tags.length; ++i)
            if (SceneKinds.tagCategory(tags[i].name) === "tag")
                result.push(tags[i].name)
        return result
    }

    modal: true
    width: 400
    title: adding ? qsTr("Add a tag to the selected scenes") : qsTr("Remove a tag from the selected scenes")
    standardButtons: Dialog.Ok | Dialog.Cancel
    onAboutToShow: standardButton(Dialog.Ok).enabled = Qt.binding(function() {
        return dialog.tagText.length > 0 && dialog.affected > 0
                && SceneKinds.tagCategory(dialog.tagText) === "tag"
    })

    ColumnLayout {
        width: parent.width
        spacing: 8
        ComboBox {
            id: field
            objectName: "tagField"
            editable: true
            model: dialog.visible ? dialog.knownTags() : []
            Layout.fillWidth: true
            Accessible.name: qsTr("Tag")
            // Tag names from scene files: the list shows them as text.
            delegate: ItemDelegate {
                width: field.width
                highlighted: field.highlightedIndex === index
                contentItem: Label {
                    text: modelData
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    verticalAlignment: Text.AlignVCenter
                }
            }
            onAccepted: if (dialog.standardButton(Dialog.Ok).enabled) dialog.accept()
        }
        Label {
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            color: dialog.affected > 0 && SceneKinds.tagCategory(dialog.tagText) === "tag" ? Material.hintTextColor : "#EF9A9A"
            text: dialog.affected === 0
                  ? qsTr("No scene is selected.")
                  : SceneKinds.tagCategory(dialog.tagText) !== "tag"
                    ? qsTr("“%1” is a filter word, not a tag.").arg(dialog.tagText)
                    : qsTr("Changes %n scene file(s), including selected scenes the filter hides.", "", dialog.affected)
            textFormat: Text.PlainText
        }
    }

    onAccepted: {
        if (adding)
            ConfigViewModel.addTag(tagText)
        else
            ConfigViewModel.removeTag(tagText)
        applied()
    }
}
