import QtQuick 2.15
import Kelvra 1.0
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import "Logic.js" as Logic

// One scene in the grid. Reused by the view, so everything follows `scene`.
Item {
    id: card

    property QtObject scene: null
    property bool isCurrent: false
    property bool isActive: false
    property bool selectionEnabled: true

    signal clicked()
    // A left click with Ctrl or Shift held: ticks rather than activates.
    signal modifiedClicked(int modifiers)
    signal doubleClicked()
    signal selectToggled(bool value)
    signal menuRequested(real x, real y)

    // A scene whose file cannot be read shows its file name and why, not
    // an empty scene.
    readonly property bool damaged: scene !== null && !scene.readable

    Accessible.role: Accessible.ListItem
    Accessible.name: !scene ? ""
                     : damaged ? qsTr("%1, cannot be read%2").arg(scene.fileName)
                                 .arg(scene.selected ? qsTr(", selected") : "")
                     : qsTr("%1 by %2, %3%4")
                       .arg(scene.name).arg(scene.author).arg(scene.type)
                       .arg(scene.selected ? qsTr(", selected") : "")
    // The card speaks for its labels, which are not read one by one.
    Accessible.description: damaged ? scene.loadError
                          : scene ? [tagsLabel.text].concat(scene.official ? [] : [qsTr("user scene")]).join(", ")
                                  : ""
    Accessible.selectable: true
    Accessible.selected: scene ? scene.selected : false

    // The keyboard's place in the grid: a ring around the card, apart from
    // the thin border that marks the scene shown in the details.
    Rectangle {
        objectName: "focusRing"
        anchors.fill: parent
        anchors.margins: 2
        radius: 9
        color: "transparent"
        border.width: 3
        border.color: Material.foreground
        visible: card.isCurrent && card.GridView.view !== null && card.GridView.view.activeFocus
    }

    Rectangle {
        id: frame
        anchors.fill: parent
        anchors.margins: 6
        radius: 6
        color: card.isActive ? Qt.lighter(Material.background, 1.6)
                             : (mouse.containsMouse ? Qt.lighter(Material.background, 1.35)
                                                    : Qt.lighter(Material.background, 1.2))
        border.width: card.isActive ? 1 : 0
        border.color: Material.accent
        clip: true

        MouseArea {
            id: mouse
            anchors.fill: parent
            hoverEnabled: true
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            onClicked: {
                if (mouse.button === Qt.LeftButton && (mouse.modifiers & (Qt.ControlModifier | Qt.ShiftModifier))) {
                    card.modifiedClicked(mouse.modifiers)
                    return
                }
                card.clicked()
                if (mouse.button === Qt.RightButton)
                    card.menuRequested(mouse.x, mouse.y)
            }
            onDoubleClicked: if (mouse.button === Qt.LeftButton) card.doubleClicked()
        }

        Item {
            id: thumbArea
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: 1
            height: Math.round(width * 9 / 16)

            Image {
                id: thumb
                objectName: "thumbnail"
                anchors.fill: parent
                asynchronous: true
                cache: true
                fillMode: Image.PreserveAspectCrop
                // Decoded at the size shown, rounded up to steps so that a
                // window resized a little reuses the cached images. Both
                // follow this, not each other: sourceSize changes as a whole.
                readonly property int decodedWidth: Math.max(160, Math.ceil(thumbArea.width / 80) * 80)
                sourceSize.width: decodedWidth
                sourceSize.height: Math.round(decodedWidth * 9 / 16)
                source: card.scene && !card.damaged ? Logic.thumbnailUrl(card.scene.filepath) : ""
            }

            // Shown while loading and when a scene has no readable thumbnail.
            Rectangle {
                anchors.fill: parent
                visible: thumb.status !== Image.Ready
                gradient: Gradient {
                    GradientStop { position: 0; color: Theme.placeholderBackground }
                    GradientStop { position: 1; color: Theme.placeholderDeep }
                }
                Label {
                    anchors.centerIn: parent
                    visible: !card.damaged
                    text: card.scene && card.scene.name.length > 0 ? card.scene.name.charAt(0).toUpperCase() : "?"
                    textFormat: Text.PlainText
                    font.pixelSize: parent.height / 3
                    color: Theme.placeholderText
                }
                Label {
                    objectName: "damagedMark"
                    anchors.centerIn: parent
                    width: parent.width - 16
                    visible: card.damaged
                    text: qsTr("⚠ Cannot be read")
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    color: Theme.warning
                }
            }

            // Top left: scene thumbnails often carry their own text at the top right.
            Label {
                anchors.left: parent.left
                anchors.top: parent.top
                anchors.margins: 6
                visible: card.scene && !card.scene.official
                text: qsTr("User")
                Accessible.ignored: true
                font.pixelSize: 11
                padding: 3
                leftPadding: 6
                rightPadding: 6
                background: Rectangle { radius: 3; color: "#AA000000" }
            }
        }

        CheckBox {
            id: check
            objectName: "selectBox"
            anchors.left: parent.left
            anchors.top: thumbArea.bottom
            anchors.topMargin: -4
            checked: card.scene ? card.scene.selected : false
            enabled: card.selectionEnabled
            focusPolicy: Qt.NoFocus
            onToggled: card.selectToggled(checked)
            Accessible.name: card.scene ? qsTr("Select %1").arg(card.scene.name) : ""
            ToolTip.visible: hovered
            ToolTip.delay: 600
            ToolTip.text: card.selectionEnabled ? qsTr("In the active playlist (Space)")
                                                : qsTr("Make a playlist active to select scenes")
        }

        ColumnLayout {
            anchors.left: check.right
            anchors.right: parent.right
            anchors.top: thumbArea.bottom
            anchors.bottom: parent.bottom
            anchors.rightMargin: 8
            anchors.topMargin: 4
            anchors.bottomMargin: 6
            spacing: 1

            Label {
                id: nameLabel
                Layout.fillWidth: true
                objectName: "cardName"
                Accessible.ignored: true
                text: !card.scene ? "" : card.damaged ? card.scene.fileName : card.scene.name
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.weight: Font.DemiBold
                font.pixelSize: 14
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 6
                Label {
                    Layout.fillWidth: true
                    objectName: "cardAuthor"
                    Accessible.ignored: true
                    text: !card.scene ? "" : card.damaged ? qsTr("Cannot be read") : card.scene.author
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.pixelSize: 12
                    color: card.damaged ? Theme.warning : Material.secondaryTextColor
                }
                Image {
                    readonly property string icon: card.scene ? card.scene.licenseImage : ""
                    visible: Logic.hasLicenseIcon(icon)
                    source: visible ? Logic.licenseIconUrl(icon) : ""
                    sourceSize.height: 15
                    Layout.preferredHeight: 15
                    fillMode: Image.PreserveAspectFit
                }
            }
            Label {
                id: tagsLabel
                Layout.fillWidth: true
                Accessible.ignored: true
                text: !card.scene ? ""
                      : card.damaged ? card.scene.loadError
                      : card.scene.tags.length > 0 ? qsTr("%1 · %2").arg(card.scene.type).arg(card.scene.tags.join(", "))
                      : card.scene.type
                objectName: "cardTags"
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: 11
                color: Material.hintTextColor
            }
        }
    }

    // A name cut short shows in full while the pointer rests on the card.
    ToolTip {
        id: nameTip
        objectName: "nameTip"
        parent: card
        y: card.height - 4
        visible: mouse.containsMouse && (nameLabel.truncated || tagsLabel.truncated)
        delay: 600
        width: Math.min(implicitWidth, 360)
        text: !card.scene ? ""
              : card.damaged ? qsTr("%1: %2").arg(card.scene.fileName).arg(card.scene.loadError)
              : qsTr("%1 by %2\n%3").arg(card.scene.name).arg(card.scene.author).arg(tagsLabel.text)
        contentItem: Label {
            text: nameTip.text
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
        }
    }
}
