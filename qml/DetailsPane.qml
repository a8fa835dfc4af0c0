import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0
import "Logic.js" as Logic

// The active scene: everything the scene file says about it, and preview.
Pane {
    id: pane

    readonly property QtObject scene: ConfigViewModel.activeScene
    readonly property bool damaged: scene !== null && !scene.readable
    // The scene's own edits: not while an edit of many scenes runs.
    readonly property bool canEdit: scene !== null && scene.readable && !ConfigViewModel.bulkEditRunning
    readonly property string newTag: tagField.text.trim()
    readonly property string newTagProblem: {
        if (!scene || newTag.length === 0)
            return ""
        if (SceneKinds.tagCategory(newTag) !== "tag")
            return qsTr("“%1” is a filter word, not a tag.").arg(newTag)
        if (scene.tags.indexOf(newTag) >= 0)
            return qsTr("The scene has this tag already.")
        return ""
    }

    function addNewTag() {
        if (!canEdit || newTag.length === 0 || newTagProblem.length > 0)
            return
        scene.addTag(newTag)
        tagField.clear()
    }

    padding: 0

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Label {
            text: qsTr("DETAILS")
            font.pixelSize: 12
            font.weight: Font.DemiBold
            color: Material.secondaryTextColor
            Layout.margins: 12
            Layout.bottomMargin: 6
        }

        Label {
            visible: !pane.scene
            text: qsTr("Click a scene to see its details.")
            color: Material.hintTextColor
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            // Takes the room the details would take, so the heading stays
            // at the top.
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.margins: 12
        }

        Flickable {
            id: flick
            visible: pane.scene !== null
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            contentHeight: details.height + 16
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: NamedScrollBar { name: qsTr("Scroll the scene details") }

            ColumnLayout {
                id: details
                x: 12
                width: flick.width - 24
                spacing: 6

                Item {
                    Layout.fillWidth: true
                    Layout.preferredHeight: Math.round(details.width * 9 / 16)
                    Image {
                        id: bigThumb
                        anchors.fill: parent
                        asynchronous: true
                        fillMode: Image.PreserveAspectCrop
                        sourceSize.width: 640
                        sourceSize.height: 360
                        source: pane.scene && !pane.damaged ? Logic.thumbnailUrl(pane.scene.filepath) : ""
                    }
                    Rectangle {
                        anchors.fill: parent
                        visible: bigThumb.status !== Image.Ready
                        color: Theme.placeholderDeep
                        Label {
                            anchors.centerIn: parent
                            text: pane.damaged ? qsTr("No preview: the file cannot be read")
                                  : bigThumb.status === Image.Loading ? qsTr("Loading…") : qsTr("No thumbnail")
                            color: Theme.placeholderText
                        }
                    }
                }

                Label {
                    objectName: "detailsName"
                    text: !pane.scene ? "" : pane.damaged ? pane.scene.fileName : pane.scene.name
                    textFormat: Text.PlainText
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
                Label {
                    objectName: "detailsDamage"
                    visible: pane.damaged
                    text: pane.damaged ? qsTr("⚠ Cannot be read: %1").arg(pane.scene.loadError) : ""
                    textFormat: Text.PlainText
                    color: Theme.warning
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
                Label {
                    objectName: "detailsAuthor"
                    visible: !pane.damaged
                    text: pane.scene ? qsTr("by %1").arg(pane.scene.author) : ""
                    textFormat: Text.PlainText
                    color: Material.secondaryTextColor
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
                Label {
                    visible: !pane.damaged
                    text: pane.scene ? qsTr("%1 · %2").arg(pane.scene.type)
                                       .arg(pane.scene.official ? qsTr("Official scene") : qsTr("User scene"))
                                     : ""
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                }

                RowLayout {
                    visible: !pane.damaged
                    Layout.fillWidth: true
                    spacing: 8
                    Image {
                        readonly property string icon: pane.scene ? pane.scene.licenseImage : ""
                        visible: Logic.hasLicenseIcon(icon)
                        source: visible ? Logic.licenseIconUrl(icon) : ""
                        sourceSize.height: 22
                    }
                    Label {
                        readonly property string url: pane.scene ? pane.scene.licenseUrl : ""
                        readonly property string label: {
                            var name = pane.scene ? Logic.licenseLabel(pane.scene.licenseImage) : ""
                            return name.length > 0 ? name : qsTr("Licence")
                        }
                        readonly property bool unlicensed: pane.scene !== null && pane.scene.licenseImage.length === 0
                        Layout.fillWidth: true
                        text: url.length > 0 ? "<a href=\"%1\">%2</a>".arg(Logic.escapeHtml(url)).arg(Logic.escapeHtml(label))
                                             : (unlicensed ? qsTr("No licence given") : label)
                        textFormat: url.length > 0 ? Text.StyledText : Text.PlainText
                        linkColor: Material.accent
                        wrapMode: Text.Wrap
                        onLinkActivated: Qt.openUrlExternally(link)
                        ToolTip.visible: url.length > 0 && licenceHover.hovered
                        ToolTip.text: url
                        // One tool tip serves the whole interface; it shows text, never markup.
                        Component.onCompleted: ToolTip.toolTip.contentItem.textFormat = Text.PlainText
                        HoverHandler { id: licenceHover }
                        Accessible.role: url.length > 0 ? Accessible.Link : Accessible.StaticText
                        Accessible.name: url.length > 0 ? qsTr("Licence %1, %2").arg(label).arg(url) : text
                    }
                }
                // The scene's own tags and relicensing flag, written to its
                // file at once.
                Switch {
                    id: relicensingSwitch
                    objectName: "relicensingSwitch"
                    visible: !pane.damaged
                    enabled: pane.canEdit
                    text: qsTr("Relicensing allowed")
                    checked: pane.scene ? pane.scene.relicensingPossible : false
                    leftPadding: 0
                    // The scene decides: a write that failed leaves it as it was.
                    onToggled: {
                        pane.scene.setRelicensingPossible(checked)
                        checked = Qt.binding(function() { return pane.scene ? pane.scene.relicensingPossible : false })
                    }
                    Accessible.name: qsTr("Relicensing allowed for this scene")
                }

                Flow {
                    visible: !pane.damaged
                    Layout.fillWidth: true
                    spacing: 4
                    Repeater {
                        model: pane.scene ? pane.scene.tags : []
                        delegate: Pane {
                            padding: 0
                            leftPadding: 8
                            background: Rectangle {
                                radius: height / 2
                                color: "transparent"
                                border.color: Material.accent
                            }
                            Row {
                                Label {
                                    anchors.verticalCenter: parent.verticalCenter
                                    text: modelData
                                    textFormat: Text.PlainText
                                    font.pixelSize: 12
                                }
                                ToolButton {
                                    objectName: "removeTag:" + modelData
                                    text: "×"
                                    enabled: pane.canEdit
                                    implicitHeight: 28
                                    implicitWidth: 28
                                    padding: 0
                                    onClicked: pane.scene.removeTag(modelData)
                                    ToolTip.visible: hovered
                                    ToolTip.text: qsTr("Remove this tag from the scene")
                                    Accessible.name: qsTr("Remove the tag %1 from this scene").arg(modelData)
                                }
                            }
                        }
                    }
                }
                RowLayout {
                    visible: !pane.damaged
                    Layout.fillWidth: true
                    spacing: 4
                    TextField {
                        id: tagField
                        objectName: "detailsTagField"
                        Layout.fillWidth: true
                        enabled: pane.canEdit
                        placeholderText: qsTr("New tag")
                        selectByMouse: true
                        onAccepted: pane.addNewTag()
                        Accessible.name: qsTr("New tag for this scene")
                    }
                    DialogButton {
                        objectName: "detailsAddTag"
                        text: qsTr("Add tag")
                        flat: true
                        enabled: pane.canEdit && pane.newTag.length > 0 && pane.newTagProblem.length === 0
                        onClicked: pane.addNewTag()
                        Accessible.name: qsTr("Add the tag to this scene")
                    }
                }
                Label {
                    visible: pane.newTagProblem.length > 0
                    text: pane.newTagProblem
                    textFormat: Text.PlainText
                    color: Theme.error
                    wrapMode: Text.Wrap
                    font.pixelSize: 12
                    Layout.fillWidth: true
                }

                Label {
                    visible: text.length > 0
                    text: pane.scene ? pane.scene.description : ""
                    wrapMode: Text.Wrap
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    Layout.topMargin: 6
                }

                RowLayout {
                    Layout.fillWidth: true
                    Layout.topMargin: 8
                    Button {
                        objectName: "previewButton"
                        text: qsTr("Preview")
                        highlighted: true
                        enabled: pane.scene !== null && !pane.damaged
                        onClicked: ConfigViewModel.previewSelectedScene()
                        ToolTip.visible: hovered
                        ToolTip.text: qsTr("Show the scene in the player (Enter)")
                        Accessible.name: qsTr("Preview the scene in the player")
                        Layout.fillWidth: true
                    }
                    Button {
                        objectName: "previewVRButton"
                        text: qsTr("Preview in VR")
                        enabled: pane.scene !== null && !pane.damaged
                        onClicked: ConfigViewModel.previewSelectedSceneVR()
                        Accessible.name: qsTr("Preview the scene in VR")
                        Layout.fillWidth: true
                    }
                }

                Label {
                    objectName: "previewUnavailable"
                    visible: pane.damaged
                    text: qsTr("Preview is not possible: the scene file cannot be read.")
                    color: Material.hintTextColor
                    wrapMode: Text.Wrap
                    font.pixelSize: 12
                    Layout.fillWidth: true
                }

                GridLayout {
                    columns: 2
                    columnSpacing: 8
                    rowSpacing: 2
                    Layout.fillWidth: true
                    Layout.topMargin: 8
                    Label {
                        text: qsTr("Identifier")
                        color: Material.hintTextColor
                        font.pixelSize: 12
                    }
                    TextEdit {
                        objectName: "sceneIdentifier"
                        textFormat: TextEdit.PlainText
                        text: pane.scene ? pane.scene.id : ""
                        readOnly: true
                        selectByMouse: true
                        wrapMode: TextEdit.WrapAnywhere
                        color: Material.foreground
                        font.pixelSize: 12
                        Layout.fillWidth: true
                        // Read as text with its label, not as an empty field.
                        Accessible.role: Accessible.StaticText
                        Accessible.name: qsTr("Identifier: %1").arg(text.length > 0 ? text : qsTr("none"))
                    }
                    Label {
                        text: qsTr("File")
                        color: Material.hintTextColor
                        font.pixelSize: 12
                    }
                    TextEdit {
                        objectName: "sceneFile"
                        textFormat: TextEdit.PlainText
                        text: pane.scene ? pane.scene.filepath : ""
                        readOnly: true
                        selectByMouse: true
                        wrapMode: TextEdit.WrapAnywhere
                        color: Material.foreground
                        font.pixelSize: 12
                        Layout.fillWidth: true
                        // Read as text with its label, not as an empty field.
                        Accessible.role: Accessible.StaticText
                        Accessible.name: qsTr("File path: %1").arg(text.length > 0 ? text : qsTr("none"))
                    }
                }

                // Also for a scene that cannot be read: its file is still there.
                Button {
                    objectName: "openFolderButton"
                    text: qsTr("Open containing folder")
                    flat: true
                    font.pixelSize: 12
                    enabled: pane.scene !== null && pane.scene.filepath.length > 0
                    onClicked: ApplicationInfo.openContainingFolder(pane.scene.filepath)
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Show the scene's file in the file manager")
                    Accessible.name: qsTr("Open the folder that holds the scene's file")
                    FocusRing {}
                }
            }
        }
    }
}
