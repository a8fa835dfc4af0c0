import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import Kelvra 1.0

// A tag toggle with its score. Filter words and scene types look different
// from ordinary tags: they are not written in scene files.
AbstractButton {
    id: chip

    property QtObject tag: null
    property string category: "tag"
    // The number shown beside the name; negative hides it.
    property int count: tag ? Math.round(tag.score) : -1
    // Switching it on would leave no scene shown: dimmed, still usable (the
    // user may want to widen another filter first).
    readonly property bool leavesNothing: count === 0 && !checked
    // False inside a group that is one Tab stop as a whole: a click still
    // gives the chip the focus, Tab does not stop at it.
    property bool ownTabStop: true

    readonly property color tint: category === "filter" ? Theme.warning
                                : category === "type" ? Theme.positive
                                : Material.accent
    readonly property string displayName: {
        if (!tag)
            return ""
        switch (SceneKinds.filterWordOf(tag.name)) {
        case SceneKinds.Selected: return qsTr("Selected")
        case SceneKinds.NotSelected: return qsTr("Not selected")
        case SceneKinds.User: return qsTr("User scenes")
        case SceneKinds.Official: return qsTr("Official scenes")
        case SceneKinds.NoRelicensing: return qsTr("No relicensing")
        default: return tag.name
        }
    }

    signal chosen()

    // Checkable, so that a screen reader always hears "on" or "off" and
    // the kind of control never changes. The tag decides the state: a click
    // toggles `checked` by itself, which is put back on the tag afterwards.
    checkable: true
    checked: tag ? tag.selected : false
    focusPolicy: ownTabStop ? Qt.StrongFocus : Qt.ClickFocus
    padding: 5
    leftPadding: 9
    rightPadding: 9
    onClicked: {
        chip.chosen()
        chip.checked = Qt.binding(function() { return chip.tag ? chip.tag.selected : false })
    }

    Accessible.role: Accessible.CheckBox
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.name: count >= 0 ? qsTr("%1, %2 scenes").arg(displayName).arg(count) : displayName
    opacity: leavesNothing ? 0.45 : 1

    contentItem: Row {
        spacing: 6
        Label {
            text: chip.displayName
            textFormat: Text.PlainText
            font.pixelSize: 13
            font.italic: chip.category === "filter"
            color: chip.checked ? Theme.onTint : Material.foreground
        }
        Label {
            visible: chip.count >= 0
            text: chip.count
            font.pixelSize: 11
            anchors.verticalCenter: parent.verticalCenter
            color: chip.checked ? Theme.onTintSecondary : Material.hintTextColor
        }
    }

    background: Rectangle {
        radius: chip.category === "tag" ? height / 2 : 4
        color: chip.checked ? chip.tint : (chip.hovered ? (Theme.dark ? Qt.rgba(1, 1, 1, 0.08) : Qt.rgba(0, 0, 0, 0.06)) : "transparent")
        border.width: chip.visualFocus ? 2 : 1
        border.color: chip.visualFocus ? Theme.focusRing : chip.tint
        opacity: chip.enabled ? 1 : 0.4
    }
}
