import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import Kelvra 1.0

// Scene packages dropped anywhere on the window are imported, as if chosen
// in the import dialog; while packages hover, a hint says so. Holds the
// import dialog too (openImportDialog), so the window has one of each.
DropArea {
    id: area
    objectName: "importDropArea"

    // Whether what hovers holds at least one scene package.
    property bool offersPackages: false

    function packagesOf(urls) {
        var packages = []
        for (var i = 0; i < urls.length; ++i) {
            if (SceneImporter.isScenePackage(urls[i]))
                packages.push(urls[i])
        }
        return packages
    }

    function openImportDialog() {
        importDialog.openIn(SceneImporter.startFolder())
    }

    // Over everything, header included; a drop area takes no clicks.
    parent: Overlay.overlay
    anchors.fill: parent
    keys: ["text/uri-list"]

    onEntered: {
        offersPackages = drag.hasUrls && packagesOf(drag.urls).length > 0
        drag.accepted = offersPackages
    }
    onExited: offersPackages = false
    onDropped: {
        var packages = packagesOf(drop.urls)
        offersPackages = false
        if (packages.length === 0)
            return
        drop.acceptProposedAction()
        SceneImporter.importScenes(packages)
    }

    Rectangle {
        anchors.fill: parent
        visible: area.offersPackages
        color: "#B0000000"
        border.color: Material.accent
        border.width: 3

        Label {
            anchors.centerIn: parent
            text: qsTr("Drop scene packages here to import them")
            textFormat: Text.PlainText
            font.pixelSize: 22
        }
    }

    ImportDialog {
        id: importDialog
    }
}
