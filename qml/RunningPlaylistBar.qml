import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// What the player runs, always in sight above the playlists, even when it
// is none of them (the playlist shipped with the program, before the user
// chose one). When the user ticks scenes in a playlist the player does not
// run, an offer to make it run shows here, without stopping the user.
ColumnLayout {
    id: bar

    // The playlist the offer is about; null: no offer.
    property QtObject offerFor: null
    // Playlists whose offer the user closed, so ticking on does not bring
    // it back until the program starts again.
    property var declinedOffers: []

    // What the player runs, in words.
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

    function makeRun(playlist) {
        if (playlist)
            ConfigViewModel.playlistToRun = playlist.filepath
        offerFor = null
    }

    function decline() {
        if (offerFor)
            declinedOffers = declinedOffers.concat([offerFor])
        offerFor = null
    }

    spacing: 0

    Connections {
        target: ConfigViewModel
        function onActivePlaylistEdited() {
            var active = ConfigViewModel.activePlaylist
            if (active && active !== ConfigViewModel.runningPlaylist && bar.declinedOffers.indexOf(active) < 0)
                bar.offerFor = active
        }
        function onActivePlaylistChanged() {
            if (bar.offerFor !== ConfigViewModel.activePlaylist)
                bar.offerFor = null
        }
        function onRunningPlaylistChanged() {
            if (bar.offerFor === ConfigViewModel.runningPlaylist)
                bar.offerFor = null
        }
        function onPlaylistsChanged() {
            var list = ConfigViewModel.playlists
            for (var i = 0; i < list.length; ++i)
                if (list[i] === bar.offerFor)
                    return
            bar.offerFor = null
        }
    }

    Label {
        objectName: "runningLabel"
        text: "▶ " + bar.runningText()
        textFormat: Text.PlainText
        elide: Text.ElideRight
        font.pixelSize: 12
        color: ConfigViewModel.runningPlaylist ? Theme.positive : Theme.warning
        Layout.fillWidth: true
        Layout.leftMargin: 12
        Layout.rightMargin: 12
        Layout.bottomMargin: 4
        Accessible.role: Accessible.StaticText
        Accessible.name: bar.runningText()
        ToolTip.visible: truncated && runningHover.hovered
        ToolTip.text: bar.runningText()
        HoverHandler { id: runningHover }
    }

    Pane {
        objectName: "runOffer"
        visible: bar.offerFor !== null
        Layout.fillWidth: true
        Layout.leftMargin: 8
        Layout.rightMargin: 8
        Layout.bottomMargin: 4
        padding: 6
        Material.background: Theme.raisedBackground
        Material.elevation: 1
        Accessible.role: Accessible.Grouping
        Accessible.name: offerText.text
        RowLayout {
            width: parent.width
            spacing: 4
            Label {
                id: offerText
                text: bar.offerFor
                      ? qsTr("You are editing “%1”, which the player does not run.").arg(bar.offerFor.name)
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
                onClicked: bar.makeRun(bar.offerFor)
                Accessible.name: bar.offerFor ? qsTr("Make “%1” run in the player").arg(bar.offerFor.name) : text
                FocusRing {}
            }
            ToolButton {
                objectName: "declineRun"
                text: "✕"
                onClicked: bar.decline()
                Accessible.name: qsTr("Keep what the player runs")
                ToolTip.visible: hovered
                ToolTip.text: qsTr("Keep what the player runs")
                FocusRing {}
            }
        }
    }
}
