import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

// One on/off setting: the label says what it does, the hint explains more.
RowLayout {
    id: row

    property alias text: label.text
    property string hint: ""
    property bool checked: false

    signal edited(bool value)

    spacing: 12
    Layout.fillWidth: true

    ColumnLayout {
        spacing: 0
        Layout.fillWidth: true
        Label {
            id: label
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
        Label {
            visible: row.hint.length > 0
            text: row.hint
            font.pixelSize: 12
            color: Material.hintTextColor
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
    }
    Switch {
        id: toggle
        objectName: "switch"
        checked: row.checked
        onToggled: row.edited(checked)
        Accessible.name: label.text
        Accessible.role: Accessible.CheckBox
        FocusRing {}
    }
}
