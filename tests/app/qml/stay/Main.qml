import QtQuick 2.15
import QtQuick.Window 2.15
import Kelvra 1.0

// Reports its window like the "window" document, then stays open so later
// starts find a running program; the test ends it. It gives up by itself
// after a minute so a failed test leaves no process behind.
Window {
    id: root

    Timer {
        interval: 50
        running: true
        onTriggered: console.log("kelvra-test window visibility=" + root.visibility
                                 + " title=" + root.title
                                 + " scenes=" + ConfigViewModel.allScenes.count)
    }
    Timer {
        interval: 60000
        running: true
        onTriggered: Qt.quit()
    }
}
