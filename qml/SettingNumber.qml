import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

// One numeric setting with its unit. The spin box works in whole steps of
// 10^-decimals; the value is written back only when the user changes it, so
// a stored value outside the offered range is shown clamped but not
// overwritten by merely opening the settings.
RowLayout {
    id: row

    property alias text: label.text
    property string hint: ""
    property real value: 0
    property real from: 0
    property real to: 100
    property real stepSize: 1
    property int decimals: 0
    property string unit: ""
    property bool showSlider: false

    readonly property real factor: Math.pow(10, decimals)

    signal edited(real value)

    // No digit grouping: "1920 px", not "1,920 px".
    function format(v) {
        var text = Number(v).toFixed(decimals)
        if (decimals > 0)
            text = text.replace(".", Qt.locale().decimalPoint)
        return text + (unit.length > 0 ? " " + unit : "")
    }

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

    Slider {
        id: slider
        visible: row.showSlider
        from: row.from
        to: row.to
        stepSize: row.stepSize
        Layout.preferredWidth: 110
        onMoved: row.edited(value)
        Accessible.name: label.text
        // The accessible range is read from these names.
        readonly property real minimumValue: from
        readonly property real maximumValue: to
        Binding on value { value: row.value }
    }

    SpinBox {
        id: spin
        objectName: "spin"
        from: Math.round(row.from * row.factor)
        to: Math.round(row.to * row.factor)
        stepSize: Math.max(1, Math.round(row.stepSize * row.factor))
        editable: true
        Layout.preferredWidth: 170
        Accessible.name: label.text
        // The accessible value is the box's own whole-step value, so the
        // range is given in the same steps; the number as shown, with its
        // decimals and unit, is the description.
        Accessible.description: displayText
        readonly property real minimumValue: from
        readonly property real maximumValue: to
        // Digits with an optional unit, as the box shows them.
        validator: RegularExpressionValidator {
            regularExpression: /\s*-?[0-9]*([.,][0-9]*)?\s*[^0-9\s]*\s*/
        }
        textFromValue: function(v, locale) {
            return row.format(v / row.factor)
        }
        valueFromText: function(text, locale) {
            var t = text.replace(row.unit, "").trim()
            var v = Number.fromLocaleString(locale, t)
            if (isNaN(v))
                v = Number(t)
            return Math.round(v * row.factor)
        }
        onValueModified: row.edited(value / row.factor)
        Binding on value { value: Math.round(row.value * row.factor) }
    }
}
