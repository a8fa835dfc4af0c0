import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

// A button for dialogs and bars: Return and Enter press it like Space does,
// and keyboard focus shows as a ring that cannot be missed.
Button {
    id: control

    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    Rectangle {
        anchors.fill: control.background
        anchors.margins: -3
        radius: 5
        color: "transparent"
        border.width: 2
        border.color: Material.foreground
        visible: control.visualFocus
    }
}
