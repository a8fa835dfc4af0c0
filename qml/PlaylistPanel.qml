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
    // The playlist the offer to make it run is about; null: no offer.
    property QtObject offerFor: null
    // Playlists whose offer the user closed, so ticking on does not bring
    // it back until the program starts again.
    property var declinedOffers: []
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

    function makeRun(playlist) {
        if (playlist)
            ConfigViewModel.playlistToRun = playlist.filepath
        offerFor = null
    }

    function declineOffer() {
        if (offerFor)
            declinedOffers = declinedOffers.concat([offerFor])
        offerFor = null
    }

    function indexOf(playlist) {
        for (var i = 0; i < playlists.length; ++i)
            if (playlists[i] === playlist)
                return i
        return -1
    }

    // What the player runs, in words, for the line above the list.
    function runningText() {
        var name = ConfigViewModel.runningPlaylistName
        if (name.length === 0)
            return qsTr("Player runs no playlist")
        if (ConfigViewModel.runningPlaylist)
            return qsTr("Player runs: %1").arg(name)
        if (ConfigViewModel.runningPlaylistBundled)
            return qsTr("Player runs: %1 (bundled)").arg(name)
        return qsTr("Player runs: %1 (not in your playlists)").arg(name)
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
        function onActivePlaylistEdited() {
            var active = ConfigViewModel.activePlaylist
            if (active && active !== ConfigViewModel.runningPlaylist && panel.declinedOffers.indexOf(active) < 0)
                panel.offerFor = active
        }
        function onActivePlaylistChanged() {
            if (panel.offerFor !== ConfigViewModel.activePlaylist)
                panel.offerFor = null
        }
        function onRunningPlaylistChanged() {
            if (panel.offerFor === ConfigViewModel.runningPlaylist)
                panel.offerFor = null
        }
        function onPlaylistsChanged() {
            if (panel.offerFor && panel.indexOf(panel.offerFor) < 0)
                panel.offerFor = null
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
                FocusRing {}
            }
        }

        Label {
            id: runningLine
            objectName: "runningLabel"
            text: "▶ " + panel.runningText()
            textFormat: Text.PlainText
            elide: Text.ElideRight
            font.pixelSize: 12
            color: ConfigViewModel.runningPlaylist ? "#81C784" : "#FFB74D"
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Layout.rightMargin: 12
            Layout.bottomMargin: 4
            Accessible.role: Accessible.StaticText
            Accessible.name: panel.runningText()
            ToolTip.visible: truncated && runningHover.hovered
            ToolTip.text: panel.runningText()
            HoverHandler { id: runningHover }
        }

        // Non-modal: the user may tick on and answer later, or never.
        Pane {
            id: offer
            objectName: "runOffer"
            visible: panel.offerFor !== null
            Layout.fillWidth: true
            Layout.leftMargin: 8
            Layout.rightMargin: 8
            Layout.bottomMargin: 4
            padding: 6
            Material.background: "#37474F"
            Material.elevation: 1
            Accessible.role: Accessible.Grouping
            Accessible.name: offerText.text
            RowLayout {
                width: parent.width
                spacing: 4
                Label {
                    id: offerText
                    text: panel.offerFor
                          ? qsTr("You are editing “%1”, but the player runs “%2”.")
                            .arg(panel.offerFor.name).arg(ConfigViewModel.runningPlaylistName)
                          : ""
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    font.pixelSize: 12
                    Layout.fillWidth: true
                }
                Button {
                    objectName: "makeItRun"
                    text: qsTr("Make it run")
                    flat: true
                    Material.foreground: Material.accent
                    onClicked: panel.makeRun(panel.offerFor)
                    Accessible.name: panel.offerFor ? qsTr("Make “%1” run in the player").arg(panel.offerFor.name) : text
                    FocusRing {}
                }
                ToolButton {
                    objectName: "declineRun"
                    text: "✕"
                    onClicked: panel.declineOffer()
                    Accessible.name: qsTr("Keep what the player runs")
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Keep what the player runs")
                    FocusRing {}
                }
            }
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
                color: "#FFB74D"
                leftPadding: 12
                rightPadding: 12
                topPadding: 4
            }

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
                    list.currentIndex = index
                    list.forceActiveFocus()
                    panel.makeActive(playlist)
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

    Dialog {
        id: deleteDialog
        objectName: "deleteDialog"
        property QtObject playlist: null
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        title: qsTr("Delete playlist")
        width: 400
        onOpened: deleteButton.forceActiveFocus()
        Label {
            width: parent.width
            text: deleteDialog.playlist
                  ? (panel.isRun(deleteDialog.playlist)
                     ? qsTr("Delete the playlist “%1”? Its file is removed, and the player runs the active playlist instead.")
                     : qsTr("Delete the playlist “%1”? Its file is removed.")).arg(deleteDialog.playlist.name)
                  : ""
            textFormat: Text.PlainText
            wrapMode: Text.WordWrap
        }
        footer: DialogButtonBox {
            DialogButton {
                id: deleteButton
                objectName: "confirmDelete"
                text: qsTr("Delete")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            DialogButton {
                objectName: "cancelDelete"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
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

        // Why the last attempt failed, as the program said it; the dialog
        // stays open so the user can change the name or give up.
        property string failure: ""

        function openForNew() {
            nameField.text = qsTr("New playlist")
            failure = ""
            open()
            nameField.forceActiveFocus()
            nameField.selectAll()
        }

        function tryCreate() {
            if (problem.length > 0)
                return
            failure = panel.createNamed(nameField.text)
            if (failure.length > 0)
                return
            close()
            list.currentIndex = panel.playlists.length - 1
            list.forceActiveFocus()
        }

        readonly property string problem: Logic.playlistNameProblem(nameField.text, panel.names(), "",
                                                                    ConfigViewModel.playlistNameProblem(nameField.text))

        ColumnLayout {
            width: parent.width
            spacing: 8
            Label {
                text: qsTr("Name:")
            }
            TextField {
                id: nameField
                objectName: "newPlaylistName"
                Layout.fillWidth: true
                selectByMouse: true
                Accessible.name: qsTr("Name of the new playlist")
                onTextEdited: nameDialog.failure = ""
                onAccepted: nameDialog.tryCreate()
            }
            Label {
                objectName: "newPlaylistProblem"
                text: nameDialog.failure.length > 0 ? nameDialog.failure : nameDialog.problem
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
        footer: DialogButtonBox {
            DialogButton {
                objectName: "confirmNew"
                text: qsTr("Create")
                enabled: nameDialog.problem.length === 0
                // Not the accept role: a refusal keeps the dialog open.
                DialogButtonBox.buttonRole: DialogButtonBox.ActionRole
                onClicked: nameDialog.tryCreate()
            }
            DialogButton {
                objectName: "cancelNew"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
        }
        onRejected: list.forceActiveFocus()
    }
}
