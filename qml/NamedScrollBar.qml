import QtQuick 2.15
import QtQuick.Controls 2.15

// A scroll bar that tells a screen reader what it scrolls and how far, in
// percent of the way from top to end. The toolkit's scroll bar offers no
// value of its own; the accessible value is read from these properties.
ScrollBar {
    id: bar

    property string name: ""

    readonly property real minimumValue: 0
    readonly property real maximumValue: 100
    readonly property real value: size >= 1 ? 0 : Math.round(position / (1 - size) * 100)

    Accessible.name: name
}
