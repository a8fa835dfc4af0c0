import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0
import "Logic.js" as Logic

// The playlists: the active one (whose scenes are selected in the grid) is
// marked with a dot, the one the player runs with a play sign.
Item {
    id: panel

    readonly property var playlists: ConfigViewModel.playlists
    property alias list: list

    function names() {
        var result = []
        for (var i = 0; i < playlists.length; ++i)
            result.push(playlists[i].name)
        return result
    }

    function isRun(playlist) {
        return playlist !== null && ConfigViewModel.playlistToRun === playlist.filepath
    }

    function create() {
        nameDialog.openForNew()
    }

    function makeActive(playlist) {
        ConfigViewModel.activePlaylist = playlist
    }

    function runInPlayer(playlist) {
        ConfigViewModel.playlistToRun = playlist.filepath
    }

    function rename(playlist, newName) {
        var problem = Logic.playlistNameProblem(newName, names(), playlist.name,
                                                ConfigViewModel.playlistNameProblem(newName))
        if (problem.length > 0)
            return problem
        if (newName !== playlist.name) {
            playlist.name = newName
            // Refused by the program (its message says why): keep editing.
            if (playlist.name !== newName)
                return qsTr("The playlist was not renamed.")
        }
        return ""
    }

    function viewInPlayer(playlist, mode) {
        ConfigViewModel.viewPlaylist(playlist.name, mode)
    }

    function renameActive() {
        var active = ConfigViewModel.activePlaylist
        if (!active)
            return
        for (var i = 0; i < playlists.length; ++i) {
            if (playlists[i] === active) {
                list.currentIndex = i
                list.currentItem.startRename()
                return
            }
        }
    }

    function askDelete(playlist) {
        deleteDialog.playlist = playlist
        deleteDialog.open()
    }

    implicitHeight: header.implicitHeight + list.contentHeight + 48

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            id: header
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Label {
                text: qsTr("PLAYLISTS")
                font.pixelSize: 12
                font.weight: Font.DemiBold
                color: Material.secondaryTextColor
                Layout.fillWidth: true
            }
            ToolButton {
                objectName: "newPlaylist"
                text: "+"
                font.pixelSize: 18
                onClicked: panel.create()
                ToolTip.visible: hovered
                ToolTip.text: qsTr("New playlist (Ctrl+N)")
                Accessible.name: qsTr("New playlist")
            }
        }

        Label {
            visible: ConfigViewModel.activePlaylist === null
            text: panel.playlists.length > 0
                  ? qsTr("Click a playlist to make it active; its scenes are then selected in the grid.")
                  : qsTr("Create a playlist to select scenes for it.")
            wrapMode: Text.WordWrap
            font.pixelSize: 12
            color: "#FFB74D"
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Layout.rightMargin: 12
            Layout.bottomMargin: 4
        }

        ListView {
            id: list
            objectName: "playlistList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: panel.playlists
            keyNavigationEnabled: true
            activeFocusOnTab: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: NamedScrollBar { name: qsTr("Scroll the playlists") }
            Accessible.name: qsTr("Playlists")
            Accessible.role: Accessible.List

            onActiveFocusChanged: {
                if (!activeFocus || currentIndex >= 0 || count === 0)
                    return
                currentIndex = 0
                for (var i = 0; i < count; ++i)
                    if (panel.playlists[i] === ConfigViewModel.activePlaylist)
                        currentIndex = i
            }
            Keys.onDeletePressed: {
                if (currentItem)
                    panel.askDelete(currentItem.playlist)
            }
            Keys.onReturnPressed: {
                if (currentItem)
                    panel.makeActive(currentItem.playlist)
            }
            Keys.onSpacePressed: {
                if (currentItem)
                    panel.makeActive(currentItem.playlist)
            }
            Keys.onPressed: {
                if (event.key === Qt.Key_F2 && currentItem) {
                    currentItem.startRename()
                    event.accepted = true
                } else if ((event.key === Qt.Key_Menu
                            || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) && currentItem) {
                    currentItem.openMenu()
                    event.accepted = true
                }
            }

            delegate: ItemDelegate {
                id: row

                readonly property QtObject playlist: modelData
                readonly property bool active: ConfigViewModel.activePlaylist === playlist
                readonly property bool runs: panel.isRun(playlist)
                property bool editing: false

                function startRename() {
                    editor.text = playlist.name
                    editor.problem = ""
                    editing = true
                    editor.forceActiveFocus()
                    editor.selectAll()
                }

                function finishRename() {
                    if (!editing)
                        return
                    var problem = panel.rename(playlist, editor.text)
                    if (problem.length > 0) {
                        editor.problem = problem
                        return
                    }
                    stopEditing()
                }

                // The hidden editor must not keep the focus inside the row,
                // or it would swallow Delete and the arrow keys.
                function stopEditing() {
                    editing = false
                    editor.focus = false
                    list.forceActiveFocus()
                }

                function openMenu() {
                    contextMenu.popup(row, 0, row.height)
                }

                width: list.width
                topPadding: 2
                bottomPadding: 2
                leftPadding: 12
                rightPadding: 4
                implicitHeight: 40
                highlighted: ListView.isCurrentItem && list.activeFocus
                // The current row holds the list's focus, so a screen reader
                // follows the arrow keys row by row; keys it does not use go
                // on to the list.
                focus: ListView.isCurrentItem
                focusPolicy: Qt.ClickFocus
                Accessible.role: Accessible.ListItem
                Accessible.selectable: true
                Accessible.selected: active
                onClicked: {
                    list.currentIndex = index
                    panel.makeActive(playlist)
                }
                onDoubleClicked: startRename()
                Accessible.name: qsTr("%1%2%3")
                                 .arg(playlist.name)
                                 .arg(active ? qsTr(", active") : "")
                                 .arg(runs ? qsTr(", runs in the player") : "")

                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.RightButton
                    onClicked: contextMenu.popup()
                }

                contentItem: RowLayout {
                    spacing: 6
                    Label {
                        text: row.active ? "●" : ""
                        color: Material.accent
                        // The row's name and selected state already say it.
                        Accessible.ignored: true
                        Layout.preferredWidth: 12
                        ToolTip.visible: row.active && markHover.hovered
                        ToolTip.text: qsTr("Active: the grid shows its scenes as selected")
                        HoverHandler { id: markHover }
                    }
                    Label {
                        visible: !row.editing
                        text: row.playlist.name
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        font.weight: row.active ? Font.DemiBold : Font.Normal
                        Layout.fillWidth: true
                    }
                    TextField {
                        id: editor
                        property string problem: ""
                        visible: row.editing
                        Layout.fillWidth: true
                        selectByMouse: true
                        Accessible.name: qsTr("New name of the playlist")
                        onAccepted: row.finishRename()
                        Keys.onEscapePressed: row.stopEditing()
                        onActiveFocusChanged: if (!activeFocus && row.editing) row.editing = false
                        ToolTip.visible: problem.length > 0 && visible
                        ToolTip.text: problem
                        // One tool tip serves the whole interface; it shows text, never markup.
                        Component.onCompleted: ToolTip.toolTip.contentItem.textFormat = Text.PlainText
                    }
                    Label {
                        visible: !row.editing
                        text: row.runs ? "▶" : ""
                        color: "#81C784"
                        Accessible.ignored: true
                        ToolTip.visible: row.runs && runHover.hovered
                        ToolTip.text: qsTr("The player runs this playlist")
                        HoverHandler { id: runHover }
                    }
                    ToolButton {
                        visible: !row.editing
                        objectName: "playlistActions"
                        text: "⋯"
                        focusPolicy: Qt.StrongFocus
                        onClicked: row.openMenu()
                        Accessible.name: qsTr("Actions for %1").arg(row.playlist.name)
                        implicitWidth: 36
                        implicitHeight: 36
                    }
                }

                Menu {
                    id: contextMenu
                    MenuItem {
                        text: qsTr("Make active")
                        enabled: !row.active
                        onTriggered: panel.makeActive(row.playlist)
                    }
                    MenuItem {
                        text: qsTr("Run in the player")
                        enabled: !row.runs
                        onTriggered: panel.runInPlayer(row.playlist)
                    }
                    MenuItem {
                        text: qsTr("View in the player")
                        onTriggered: panel.viewInPlayer(row.playlist, "f")
                    }
                    MenuItem {
                        text: qsTr("View in VR")
                        onTriggered: panel.viewInPlayer(row.playlist, "v")
                    }
                    MenuSeparator {}
                    MenuItem {
                        text: qsTr("Rename (F2)")
                        onTriggered: row.startRename()
                    }
                    MenuItem {
                        text: qsTr("Delete… (Del)")
                        onTriggered: panel.askDelete(row.playlist)
                    }
                }
            }
        }
    }

    Dialog {
        id: deleteDialog
        objectName: "deleteDialog"
        property QtObject playlist: null
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        title: qsTr("Delete playlist")
        width: 400
        standardButtons: Dialog.Yes | Dialog.Cancel
        Label {
            width: parent.width
            text: deleteDialog.playlist
                  ? qsTr("Delete the playlist “%1”? Its file is removed.").arg(deleteDialog.playlist.name)
                  : ""
            textFormat: Text.PlainText
            wrapMode: Text.WordWrap
        }
        onAccepted: {
            if (playlist)
                ConfigViewModel.deletePlaylist(playlist.name)
            playlist = null
            list.forceActiveFocus()
        }
        onRejected: {
            playlist = null
            list.forceActiveFocus()
        }
    }

    Dialog {
        id: nameDialog
        objectName: "newPlaylistDialog"
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        title: qsTr("New playlist")
        width: 400
        standardButtons: Dialog.Ok | Dialog.Cancel

        function openForNew() {
            nameField.text = qsTr("New playlist")
            open()
            nameField.forceActiveFocus()
            nameField.selectAll()
        }

        readonly property string problem: Logic.playlistNameProblem(nameField.text, panel.names(), "",
                                                                    ConfigViewModel.playlistNameProblem(nameField.text))

        onAboutToShow: standardButton(Dialog.Ok).enabled = Qt.binding(function() { return nameDialog.problem.length === 0 })

        ColumnLayout {
            width: parent.width
            spacing: 8
            Label {
                text: qsTr("Name:")
            }
            TextField {
                id: nameField
                Layout.fillWidth: true
                selectByMouse: true
                Accessible.name: qsTr("Name of the new playlist")
                onAccepted: if (nameDialog.problem.length === 0) nameDialog.accept()
            }
            Label {
                text: nameDialog.problem
                textFormat: Text.PlainText
                visible: text.length > 0
                color: "#EF9A9A"
                wrapMode: Text.WordWrap
                Layout.fillWidth: true
            }
            Label {
                text: qsTr("The new playlist becomes active and runs in the player.")
                color: Material.hintTextColor
                wrapMode: Text.WordWrap
                Layout.fillWidth: true
            }
        }
        onAccepted: {
            ConfigViewModel.addPlaylist(nameField.text)
            list.currentIndex = panel.playlists.length - 1
            list.forceActiveFocus()
        }
    }
}
