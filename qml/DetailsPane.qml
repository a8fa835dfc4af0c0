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
            Layout.fillWidth: true
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
                        source: pane.scene ? Logic.thumbnailUrl(pane.scene.filepath) : ""
                    }
                    Rectangle {
                        anchors.fill: parent
                        visible: bigThumb.status !== Image.Ready
                        color: "#263238"
                        Label {
                            anchors.centerIn: parent
                            text: bigThumb.status === Image.Loading ? qsTr("Loading…") : qsTr("No thumbnail")
                            color: "#78909C"
                        }
                    }
                }

                Label {
                    objectName: "detailsName"
                    text: pane.scene ? pane.scene.name : ""
                    textFormat: Text.PlainText
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
                Label {
                    objectName: "detailsAuthor"
                    text: pane.scene ? qsTr("by %1").arg(pane.scene.author) : ""
                    textFormat: Text.PlainText
                    color: Material.secondaryTextColor
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
                Label {
                    text: pane.scene ? qsTr("%1 · %2").arg(pane.scene.type)
                                       .arg(pane.scene.official ? qsTr("Official scene") : qsTr("User scene"))
                                     : ""
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                }

                RowLayout {
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
                Label {
                    visible: pane.scene !== null && !pane.scene.relicensingPossible
                    text: qsTr("Relicensing not allowed")
                    color: "#FFB74D"
                }

                Flow {
                    Layout.fillWidth: true
                    spacing: 4
                    Repeater {
                        model: pane.scene ? pane.scene.tags : []
                        delegate: Label {
                            text: modelData
                            textFormat: Text.PlainText
                            font.pixelSize: 12
                            padding: 3
                            leftPadding: 8
                            rightPadding: 8
                            background: Rectangle {
                                radius: height / 2
                                color: "transparent"
                                border.color: Material.accent
                            }
                        }
                    }
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
                        enabled: pane.scene !== null
                        onClicked: ConfigViewModel.previewSelectedScene()
                        ToolTip.visible: hovered
                        ToolTip.text: qsTr("Show the scene in the player (Enter)")
                        Accessible.name: qsTr("Preview the scene in the player")
                        Layout.fillWidth: true
                    }
                    Button {
                        objectName: "previewVRButton"
                        text: qsTr("Preview in VR")
                        enabled: pane.scene !== null
                        onClicked: ConfigViewModel.previewSelectedSceneVR()
                        Accessible.name: qsTr("Preview the scene in VR")
                        Layout.fillWidth: true
                    }
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
            }
        }
    }
}
