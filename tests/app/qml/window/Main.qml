import QtQuick 2.15
import QtQuick.Window 2.15
import Kelvra 1.0

// Reports what the process test checks, then quits the way the real
// interface does.
Window {
    id: root

    Timer {
        interval: 50
        running: true
        onTriggered: {
            console.log("kelvra-test window visibility=" + root.visibility
                        + " title=" + root.title
                        + " scenes=" + ConfigViewModel.allScenes.count)
            Qt.quit()
        }
    }
}
