import QtQuick 2.15
import Kelvra 1.0
import QtQuick.Controls.Material 2.15

// A clear ring around the control that has the keyboard focus: the style's
// own sign (a faint ripple) is easy to miss on the dark theme. Put it inside
// the control; it follows the control's visual focus (keyboard, not mouse).
Rectangle {
    property Item control: parent
    property bool shown: control ? (control.visualFocus !== undefined ? control.visualFocus : control.activeFocus) : false

    anchors.fill: parent
    anchors.margins: -2
    visible: shown
    color: "transparent"
    radius: 4
    border.width: 2
    border.color: Theme.focusRing
    z: 100
    Accessible.ignored: true
}
