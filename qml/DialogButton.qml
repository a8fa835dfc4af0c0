import QtQuick 2.15
import QtQuick.Controls 2.15

// A dialog button that Return and Enter press as Space does, so the button
// the keyboard is on is the one confirmed, with a visible focus ring.
Button {
    id: button
    flat: true
    Accessible.name: text
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()
    FocusRing {}
}
