import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// Playlists above, filter words, scene types and tags below.
Item {
    id: side

    signal filtersCleared()

    function clearFilters() {
        filters.clearAll()
    }

    function renameActivePlaylist() {
        playlists.renameActive()
    }

    function createPlaylist() {
        playlists.create()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        PlaylistPanel {
            id: playlists
            objectName: "playlistPanel"
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(implicitHeight, side.height * 0.4)
        }

        MenuSeparator { Layout.fillWidth: true }

        FilterPanel {
            id: filters
            objectName: "filterPanel"
            Layout.fillWidth: true
            Layout.fillHeight: true
            onCleared: side.filtersCleared()
        }
    }
}
