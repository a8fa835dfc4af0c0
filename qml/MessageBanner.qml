import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import Kelvra 1.0

// What the program could not do (an edit not written, a playlist not saved),
// and what it did that changes what the user expects (a new playlist now
// runs in the player), shown at the bottom of the window for a few seconds
// without taking the focus. The newest few messages stay together; a click
// dismisses them. The colour says whether the newest is a failure.
Pane {
    id: banner
    objectName: "messageBanner"

    readonly property int maxShown: 3
    property var messages: []
    readonly property string text: messages.join("\n")
    property alias interval: hideTimer.interval
    // Whether the newest message tells of something done, not of a failure.
    property bool notice: false

    function show(message, isNotice) {
        var kept = messages.slice(Math.max(0, messages.length - maxShown + 1))
        kept.push(String(message))
        messages = kept
        notice = isNotice === true
        hideTimer.restart()
    }

    function dismiss() {
        hideTimer.stop()
        messages = []
    }

    visible: messages.length > 0
    padding: 12
    Material.elevation: 6
    Material.background: notice ? Theme.noticeBackground : Theme.failureBackground
    Accessible.role: Accessible.AlertMessage
    Accessible.name: text

    // Whether the newest message reports the change undo would take back.
    readonly property bool offersUndo: messages.length > 0 && ConfigViewModel.undoMessage.length > 0
                                       && messages[messages.length - 1] === ConfigViewModel.undoMessage
                                       && ConfigViewModel.history.canUndo

    MouseArea {
        anchors.fill: parent
        onClicked: banner.dismiss()
    }

    contentHeight: contentRow.implicitHeight

    Row {
        id: contentRow
        spacing: 12
        Label {
            objectName: "messageText"
            width: banner.availableWidth - (undoButton.visible ? undoButton.width + parent.spacing : 0)
            anchors.verticalCenter: parent.verticalCenter
            text: banner.text
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
        }
        Button {
            id: undoButton
            objectName: "undoButton"
            visible: banner.offersUndo
            flat: true
            text: qsTr("Undo")
            anchors.verticalCenter: parent.verticalCenter
            onClicked: {
                banner.dismiss()
                ConfigViewModel.undo()
            }
            Accessible.name: qsTr("Undo: %1").arg(ConfigViewModel.history.undoText)
        }
    }

    Timer {
        id: hideTimer
        // Long enough to read a sentence or two in passing.
        interval: 8000
        onTriggered: banner.messages = []
    }

    Connections {
        target: ConfigViewModel
        function onMessageRaised(text) { banner.show(text, false) }
        function onNoticeRaised(text) { banner.show(text, true) }
    }
}
