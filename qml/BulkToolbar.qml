import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// Bulk actions on the visible scenes and edits of the selected ones. When
// the centre is narrow the edits, then the selection actions, move into the
// "⋯" menu, so every action stays reachable.
ToolBar {
    id: toolbar
    objectName: "bulkToolbar"
    // The scene browser whose visible and selected scenes the actions change.
    required property Item sceneBrowser
    Material.elevation: 0
    Material.background: "transparent"

    readonly property real selectionWidth: selectAllButton.implicitWidth + noneButton.implicitWidth
                                           + toggleButton.implicitWidth + 3 * actionRow.spacing
    readonly property real editWidth: separator.implicitWidth + addTagButton.implicitWidth
                                      + removeTagButton.implicitWidth + licenceButton.implicitWidth
                                      + 4 * actionRow.spacing
    readonly property real room: width - actionRow.anchors.leftMargin - moreButton.implicitWidth - 8
    readonly property bool editsInMenu: room < selectionWidth + editWidth
    readonly property bool selectionInMenu: room < selectionWidth

    RowLayout {
        id: actionRow
        anchors.fill: parent
        anchors.leftMargin: 8
        spacing: 2
        ToolButton {
            id: selectAllButton
            objectName: "selectAllButton"
            visible: !toolbar.selectionInMenu
            text: qsTr("Select all")
            enabled: sceneBrowser.hasActivePlaylist && sceneBrowser.visibleCount > 0
            onClicked: sceneBrowser.selectAll()
            ToolTip.visible: hovered
            ToolTip.text: qsTr("Select every visible scene (Ctrl+A)")
            Accessible.name: text
        }
        ToolButton {
            id: noneButton
            visible: !toolbar.selectionInMenu
            text: qsTr("None")
            enabled: sceneBrowser.hasActivePlaylist && sceneBrowser.visibleCount > 0
            onClicked: sceneBrowser.deselectAll()
            ToolTip.visible: hovered
            ToolTip.text: qsTr("Deselect every visible scene (Ctrl+Shift+A)")
            Accessible.name: qsTr("Deselect all visible scenes")
        }
        ToolButton {
            id: toggleButton
            visible: !toolbar.selectionInMenu
            text: qsTr("Toggle")
            enabled: sceneBrowser.hasActivePlaylist && sceneBrowser.visibleCount > 0
            onClicked: sceneBrowser.toggleAll()
            ToolTip.visible: hovered
            ToolTip.text: qsTr("Invert the selection of every visible scene (Ctrl+I)")
            Accessible.name: qsTr("Toggle selection of visible scenes")
        }
        ToolSeparator { id: separator; visible: !toolbar.editsInMenu }
        ToolButton {
            id: addTagButton
            objectName: "addTagButton"
            visible: !toolbar.editsInMenu
            text: qsTr("+ Tag")
            enabled: sceneBrowser.canEdit
            onClicked: sceneBrowser.openBulkEdit(ConfigViewModel.BulkAddTag, true)
            ToolTip.visible: hovered
            ToolTip.text: enabled ? qsTr("Add a tag to every scene selected in the playlist (Ctrl+T)") : sceneBrowser.editHint
            Accessible.name: qsTr("Add a tag to the selected scenes")
        }
        ToolButton {
            id: removeTagButton
            objectName: "removeTagButton"
            visible: !toolbar.editsInMenu
            text: qsTr("− Tag")
            enabled: sceneBrowser.canEdit
            onClicked: sceneBrowser.openBulkEdit(ConfigViewModel.BulkRemoveTag, true)
            ToolTip.visible: hovered
            ToolTip.text: enabled ? qsTr("Remove a tag from every scene selected in the playlist") : sceneBrowser.editHint
            Accessible.name: qsTr("Remove a tag from the selected scenes")
        }
        ToolButton {
            id: licenceButton
            objectName: "relicensingButton"
            visible: !toolbar.editsInMenu
            text: qsTr("Relicensing ▾")
            enabled: sceneBrowser.canEdit
            onClicked: licenceMenu.open()
            ToolTip.visible: hovered && !enabled
            ToolTip.text: sceneBrowser.editHint
            Accessible.name: qsTr("Relicensing of the selected scenes")
            Menu {
                id: licenceMenu
                y: licenceButton.height
                MenuItem {
                    text: qsTr("Allow relicensing of the selected scenes…")
                    onTriggered: sceneBrowser.openBulkEdit(ConfigViewModel.BulkSetRelicensing, true)
                }
                MenuItem {
                    text: qsTr("Forbid relicensing of the selected scenes…")
                    onTriggered: sceneBrowser.openBulkEdit(ConfigViewModel.BulkSetRelicensing, false)
                }
            }
        }
        Item { Layout.fillWidth: true }
        ToolButton {
            id: moreButton
            objectName: "moreActionsButton"
            visible: toolbar.editsInMenu
            text: "⋯"
            font.pixelSize: 18
            onClicked: moreMenu.open()
            ToolTip.visible: hovered
            ToolTip.text: qsTr("More actions")
            Accessible.name: qsTr("More actions on the scenes")
            Menu {
                id: moreMenu
                objectName: "moreActionsMenu"
                y: moreButton.height
                // A hidden item would still take its height.
                MenuItem {
                    text: qsTr("Select all visible scenes")
                    visible: toolbar.selectionInMenu
                    height: visible ? implicitHeight : 0
                    enabled: selectAllButton.enabled
                    onTriggered: sceneBrowser.selectAll()
                }
                MenuItem {
                    text: qsTr("Deselect all visible scenes")
                    visible: toolbar.selectionInMenu
                    height: visible ? implicitHeight : 0
                    enabled: noneButton.enabled
                    onTriggered: sceneBrowser.deselectAll()
                }
                MenuItem {
                    text: qsTr("Toggle selection of visible scenes")
                    visible: toolbar.selectionInMenu
                    height: visible ? implicitHeight : 0
                    enabled: toggleButton.enabled
                    onTriggered: sceneBrowser.toggleAll()
                }
                MenuItem {
                    objectName: "menuAddTag"
                    text: qsTr("Add a tag to the selected scenes…")
                    enabled: sceneBrowser.canEdit
                    onTriggered: sceneBrowser.openBulkEdit(ConfigViewModel.BulkAddTag, true)
                }
                MenuItem {
                    objectName: "menuRemoveTag"
                    text: qsTr("Remove a tag from the selected scenes…")
                    enabled: sceneBrowser.canEdit
                    onTriggered: sceneBrowser.openBulkEdit(ConfigViewModel.BulkRemoveTag, true)
                }
                MenuItem {
                    objectName: "menuAllowRelicensing"
                    text: qsTr("Allow relicensing of the selected scenes…")
                    enabled: sceneBrowser.canEdit
                    onTriggered: sceneBrowser.openBulkEdit(ConfigViewModel.BulkSetRelicensing, true)
                }
                MenuItem {
                    objectName: "menuForbidRelicensing"
                    text: qsTr("Forbid relicensing of the selected scenes…")
                    enabled: sceneBrowser.canEdit
                    onTriggered: sceneBrowser.openBulkEdit(ConfigViewModel.BulkSetRelicensing, false)
                }
            }
        }
    }
}
