import QtQuick 2.15
import QtQuick.Window 2.15
// Installed with the toolkit but not shipped beside the program.
import QtTest 1.2

Window {
    Timer {
        interval: 50
        running: true
        onTriggered: Qt.quit()
    }
}
