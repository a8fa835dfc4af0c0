import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Qt.labs.folderlistmodel 2.15
import Kelvra 1.0

// Chooses scene packages to import, several at once. Our own dialog on the
// folder model rather than QtQuick.Dialogs' FileDialog: outside a desktop
// whose theme brings a native dialog, that one falls back on the old
// Controls 1, which the program neither ships nor styles.
Dialog {
    id: dialog
    objectName: "importDialog"

    // The packages ticked, as file URLs, in the order they were ticked.
    property var chosen: []

    function openIn(folder) {
        chosen = []
        folders.folder = folder
        open()
        fileList.forceActiveFocus()
    }

    function toggle(url) {
        var key = String(url)
        var next = chosen.filter(function(u) { return String(u) !== key })
        if (next.length === chosen.length)
            next.push(url)
        chosen = next
    }

    function isChosen(url) {
        var key = String(url)
        return chosen.some(function(u) { return String(u) === key })
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    title: qsTr("Import scenes")
    width: Math.min(640, parent ? parent.width - 48 : 640)
    height: Math.min(560, parent ? parent.height - 48 : 560)
    standardButtons: Dialog.Open | Dialog.Cancel

    onAboutToShow: standardButton(Dialog.Open).enabled = Qt.binding(function() { return dialog.chosen.length > 0 })
    onAccepted: {
        SceneImporter.importScenes(chosen)
        chosen = []
    }
    onRejected: chosen = []

    FolderListModel {
        id: folders
        nameFilters: ["*.kvd", "*.kvc"]
        caseSensitive: false
        showDirsFirst: true
        showDotAndDotDot: false
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            Button {
                text: qsTr("Up")
                enabled: String(folders.parentFolder).length > 0
                Accessible.name: qsTr("Go to the folder above")
                onClicked: folders.folder = folders.parentFolder
            }
            Label {
                Layout.fillWidth: true
                text: decodeURIComponent(String(folders.folder).replace(/^file:\/\//, ""))
                textFormat: Text.PlainText
                elide: Text.ElideMiddle
            }
        }

        Label {
            text: qsTr("Scene packages (*.kvd *.kvc)")
            textFormat: Text.PlainText
            opacity: 0.7
        }

        ListView {
            id: fileList
            objectName: "importFileList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: folders
            keyNavigationEnabled: true
            ScrollBar.vertical: ScrollBar {}
            Accessible.role: Accessible.List
            Accessible.name: qsTr("Folders and scene packages")

            delegate: CheckDelegate {
                width: fileList.width
                text: fileIsDir ? fileName + "/" : fileName
                checkable: !fileIsDir
                checked: !fileIsDir && dialog.isChosen(fileUrl)
                indicator.visible: !fileIsDir
                Accessible.name: fileIsDir ? qsTr("Folder %1").arg(fileName) : fileName
                onClicked: {
                    if (fileIsDir)
                        folders.folder = fileUrl
                    else
                        dialog.toggle(fileUrl)
                }
            }
        }
    }
}
