import QtQuick 2.15
import Kelvra 1.0
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

// One numeric setting with its unit. The spin box works in whole steps of
// 10^-decimals; the value is written back only when the user changes it, so
// a stored value outside the offered range is shown clamped but not
// overwritten by merely opening the settings. Text that is no number keeps
// the value, and the box shows it again once the user leaves it.
RowLayout {
    id: row

    property alias text: label.text
    property string hint: ""
    // Said in red next to the field: a value that cannot work as meant. The
    // value is kept as typed; the message tells the user to change it.
    property string error: ""
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

    // The number in text, in whole steps; NaN when there is none.
    function parse(text, locale) {
        var t = String(text).replace(row.unit, "").trim()
        if (t.length === 0)
            return NaN
        var v = NaN
        // fromLocaleString throws on text that is no number.
        try {
            v = Number.fromLocaleString(locale, t)
        } catch (e) {
            v = NaN
        }
        if (isNaN(v))
            v = Number(t.replace(",", "."))
        return Math.round(v * row.factor)
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
        Label {
            objectName: "error"
            visible: row.error.length > 0
            text: "⚠ " + row.error
            font.pixelSize: 12
            color: Theme.error
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
        FocusRing {}
    }

    // What a screen reader reads: the accessibility bridge takes a spin
    // box's value and range from the properties "value", "minimumValue" and
    // "maximumValue" of the item. The box itself counts in whole steps (a
    // tenth of a second is 1), so this item stands in for it with the real
    // numbers, and the box is hidden from the bridge.
    FocusScope {
        id: face
        objectName: "spin"
        implicitWidth: spin.implicitWidth
        implicitHeight: spin.implicitHeight
        Layout.preferredWidth: 170
        activeFocusOnTab: true

        readonly property real value: spin.value / row.factor
        readonly property real minimumValue: row.from
        readonly property real maximumValue: row.to
        readonly property real stepSize: row.stepSize
        readonly property alias displayText: spin.displayText
        readonly property alias box: spin

        Accessible.role: Accessible.SpinBox
        Accessible.name: label.text
        Accessible.description: row.error.length > 0 ? spin.displayText + ", " + row.error : spin.displayText
        Accessible.focusable: true

        SpinBox {
            id: spin
            anchors.fill: parent
            focus: true
            from: Math.round(row.from * row.factor)
            to: Math.round(row.to * row.factor)
            stepSize: Math.max(1, Math.round(row.stepSize * row.factor))
            editable: true
            Accessible.ignored: true
            // Digits with an optional unit, as the box shows them.
            validator: RegularExpressionValidator {
                regularExpression: /\s*-?[0-9]*([.,][0-9]*)?\s*[^0-9\s]*\s*/
            }
            textFromValue: function(v, locale) {
                return row.format(v / row.factor)
            }
            // No number in the text: the value stays as it was.
            valueFromText: function(text, locale) {
                var v = row.parse(text, locale)
                return isNaN(v) ? spin.value : v
            }
            onValueModified: row.edited(value / row.factor)
            // What the user typed stays in the box until the value changes;
            // text that changed nothing gives way to the value again.
            onActiveFocusChanged: {
                if (!activeFocus && contentItem.text !== displayText)
                    contentItem.text = Qt.binding(function() { return spin.displayText })
            }
            Binding on value { value: Math.round(row.value * row.factor) }
        }

        FocusRing { shown: face.activeFocus }
    }
}
