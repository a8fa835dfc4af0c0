import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// Asks before an edit of every scene selected in the active playlist (a tag
// added or removed, relicensing allowed or forbidden), naming how many scene
// files it changes and how many of them the filter hides. Confirmed, the
// edit runs in the background; the scene browser shows its progress.
Dialog {
    id: dialog

    property int kind: ConfigViewModel.BulkAddTag
    property bool value: true
    readonly property bool editsTag: kind !== ConfigViewModel.BulkSetRelicensing
    readonly property string tagText: editsTag ? field.editText.trim() : ""
    readonly property bool isFilterWord: tagText.length > 0 && SceneKinds.tagCategory(tagText) !== "tag"
    // What the edit would change, recounted as the tag is typed.
    readonly property var reach: visible ? ConfigViewModel.bulkEditReach(kind, tagText, value)
                                         : ({ selected: 0, changes: 0, hidden: 0, unreadable: 0 })
    readonly property bool canApply: reach.changes > 0 && !ConfigViewModel.bulkEditRunning
    readonly property string summary: {
        if (reach.selected === 0)
            return qsTr("No scene is selected in the active playlist.")
        if (editsTag && tagText.length === 0)
            return qsTr("Type a tag or pick one. %1 selected.").arg(scenes(reach.selected))
        if (isFilterWord)
            return qsTr("“%1” is a filter word, not a tag.").arg(tagText)
        if (reach.changes === 0) {
            if (kind === ConfigViewModel.BulkAddTag)
                return qsTr("Every selected scene has this tag already.")
            if (kind === ConfigViewModel.BulkRemoveTag)
                return qsTr("No selected scene has this tag.")
            return value ? qsTr("Every selected scene allows relicensing already.")
                         : qsTr("Every selected scene forbids relicensing already.")
        }
        var text = qsTr("Changes the files of %1").arg(scenes(reach.changes))
        text = reach.hidden === 0 ? qsTr("%1; all of them are visible.").arg(text)
                                  : qsTr("%1, %2 of them hidden by the filter.").arg(text).arg(reach.hidden)
        if (reach.unreadable > 0)
            text += " " + (reach.unreadable === 1 ? qsTr("1 selected scene cannot be read and stays as it is.")
                                                  : qsTr("%1 selected scenes cannot be read and stay as they are.")
                                                    .arg(reach.unreadable))
        return text
    }

    function scenes(count) {
        return count === 1 ? qsTr("1 scene") : qsTr("%1 scenes").arg(count)
    }

    function openFor(newKind, newValue) {
        kind = newKind
        value = newValue === undefined ? true : newValue
        // Set once per opening: a new model would select its first entry.
        field.model = knownTags()
        field.currentIndex = -1
        field.editText = ""
        open()
    }

    // The tags scenes have now, so a tag made a moment ago is offered.
    function knownTags() {
        var result = []
        var tags = ConfigViewModel.tags
        for (var i = 0; i < tags.length; ++i)
            if (SceneKinds.tagCategory(tags[i].name) === "tag")
                result.push(tags[i].name)
        return result
    }

    function apply() {
        if (!canApply)
            return
        ConfigViewModel.startBulkEdit(kind, tagText, value)
        close()
    }

    // Over the whole window, not the scene browser it is declared in, so
    // the title fits however narrow the centre is.
    parent: Overlay.overlay
    modal: true
    width: Math.min(parent ? parent.width - 32 : 460, Math.max(420, header.implicitWidth))
    title: kind === ConfigViewModel.BulkAddTag ? qsTr("Add a tag to the selected scenes")
         : kind === ConfigViewModel.BulkRemoveTag ? qsTr("Remove a tag from the selected scenes")
         : value ? qsTr("Allow relicensing of the selected scenes")
         : qsTr("Forbid relicensing of the selected scenes")

    // The editable box passes the focus on to its text only when tabbed to:
    // the text itself must have it, or what the user types is lost.
    onOpened: editsTag ? field.contentItem.forceActiveFocus() : applyButton.forceActiveFocus()

    ColumnLayout {
        width: parent.width
        spacing: 8
        ComboBox {
            id: field
            objectName: "tagField"
            visible: dialog.editsTag
            editable: true
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
            onAccepted: dialog.apply()
        }
        Label {
            objectName: "bulkEditSummary"
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            color: dialog.canApply || (dialog.editsTag && dialog.tagText.length === 0 && dialog.reach.selected > 0)
                   ? Material.foreground : Theme.error
            text: dialog.summary
            textFormat: Text.PlainText
        }
    }

    footer: DialogButtonBox {
        DialogButton {
            id: applyButton
            objectName: "applyBulkEdit"
            text: dialog.kind === ConfigViewModel.BulkAddTag ? qsTr("Add to %1").arg(dialog.scenes(dialog.reach.changes))
                : dialog.kind === ConfigViewModel.BulkRemoveTag ? qsTr("Remove from %1").arg(dialog.scenes(dialog.reach.changes))
                : qsTr("Change %1").arg(dialog.scenes(dialog.reach.changes))
            enabled: dialog.canApply
            highlighted: true
            flat: true
            // Applied here rather than through the box's accept, which
            // would close the dialog even when nothing can be applied.
            onClicked: dialog.apply()
            Accessible.name: text
        }
        DialogButton {
            objectName: "cancelBulkEditDialog"
            text: qsTr("Cancel")
            flat: true
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            Accessible.name: text
        }
    }
}
