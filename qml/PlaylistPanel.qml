import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0
import "Logic.js" as Logic

// The playlists: the active one (whose scenes are selected in the grid) is
// marked with a dot, the one the player runs with a play sign. Above them a
// line says what the player runs, even when that is not one of the list
// (the playlist shipped with the program, before the user chose one); when
// the user ticks scenes in another playlist, an offer to make it run shows.
Item {
    id: panel

    readonly property var playlists: ConfigViewModel.playlists
    property alias list: list
    // The last failure the program reported, to show in the dialog that
    // asked for what failed.
    property string lastFailure: ""

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
            lastFailure = ""
            playlist.name = newName
            // Refused by the program (its message says why): keep editing.
            if (playlist.name !== newName)
                return lastFailure.length > 0 ? lastFailure : qsTr("The playlist was not renamed.")
        }
        return ""
    }

    // Creates the playlist; "" when it was made, else why not.
    function createNamed(name) {
        var before = playlists.length
        lastFailure = ""
        ConfigViewModel.addPlaylist(name)
        if (playlists.length > before)
            return ""
        return lastFailure.length > 0 ? lastFailure
                                       : qsTr("Playlist “%1” was not created.").arg(name)
    }

    function indexOf(playlist) {
        for (var i = 0; i < playlists.length; ++i)
            if (playlists[i] === playlist)
                return i
        return -1
    }

    function viewInPlayer(playlist, mode) {
        ConfigViewModel.viewPlaylist(playlist.name, mode)
    }

    // The row the keyboard is on when the list has the focus, else the
    // active playlist.
    function renameActive() {
        if (list.activeFocus && list.currentItem) {
            list.currentItem.startRename()
            return
        }
        var i = indexOf(ConfigViewModel.activePlaylist)
        if (i < 0)
            return
        list.currentIndex = i
        list.currentItem.startRename()
    }

    Connections {
        target: ConfigViewModel
        function onMessageRaised(text) { panel.lastFailure = text }
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
                FocusRing {}
            }
        }

        RunningPlaylistBar {
            id: running
            Layout.fillWidth: true
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

            // Below the rows, so that showing or hiding it never moves a row
            // between the two clicks of a double click.
            footer: Label {
                objectName: "playlistHint"
                width: list.width
                visible: ConfigViewModel.activePlaylist === null
                height: visible ? implicitHeight : 0
                text: panel.playlists.length > 0
                      ? qsTr("Click a playlist to make it active; its scenes are then ticked in the grid.")
                      : qsTr("Create a playlist to tick scenes for it.")
                wrapMode: Text.WordWrap
                font.pixelSize: 12
                color: Theme.warning
                leftPadding: 12
                rightPadding: 12
                topPadding: 4
            }

            // The keyboard comes to the list on the active playlist.
            onActiveFocusChanged: {
                if (!activeFocus || count === 0)
                    return
                var active = panel.indexOf(ConfigViewModel.activePlaylist)
                if (active >= 0)
                    currentIndex = active
                else if (currentIndex < 0)
                    currentIndex = 0
            }
            Keys.onDeletePressed: {
                if (currentItem)
                    panel.askDelete(currentItem.playlist)
            }
            Keys.onReturnPressed: {
                if (currentItem)
                    panel.makeActive(currentItem.playlist)
            }
            Keys.onEnterPressed: {
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
                FocusRing { shown: row.ListView.isCurrentItem && list.activeFocus && !row.editing }
                // The current row holds the list's focus, so a screen reader
                // follows the arrow keys row by row; keys it does not use go
                // on to the list.
                focus: ListView.isCurrentItem
                focusPolicy: Qt.ClickFocus
                Accessible.role: Accessible.ListItem
                Accessible.selectable: true
                Accessible.selected: active
                onClicked: {
                    panel.makeActive(playlist)
                    list.currentIndex = index
                    list.forceActiveFocus()
                }
                onDoubleClicked: {
                    list.currentIndex = index
                    startRename()
                }
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
                        id: nameLabel
                        visible: !row.editing
                        text: row.playlist.name
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        font.weight: row.active ? Font.DemiBold : Font.Normal
                        Layout.fillWidth: true
                        ToolTip.visible: truncated && row.hovered
                        ToolTip.text: row.playlist.name
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
                        color: Theme.positive
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
                        FocusRing {}
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

    PlaylistDeleteDialog {
        id: deleteDialog
        objectName: "deleteDialog"
        runs: panel.isRun(playlist)
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

    PlaylistNameDialog {
        id: nameDialog
        objectName: "newPlaylistDialog"
        existingNames: panel.names()
        create: panel.createNamed
        onCreated: {
            list.currentIndex = panel.playlists.length - 1
            list.forceActiveFocus()
        }
        onRejected: list.forceActiveFocus()
    }
}
