import QtQuick 2.15
import Kelvra 1.0

Item {
    property var config: ConfigViewModel
}
