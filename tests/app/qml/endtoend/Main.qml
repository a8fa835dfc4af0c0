import QtQuick 2.15
import QtQuick.Window 2.15
import Kelvra 1.0

// Does what a user does in one session: makes the only playlist active,
// selects the scenes a search shows, changes a setting, previews the
// post-processing scene and quits.
Window {
    Timer {
        interval: 50
        running: true
        onTriggered: {
            var config = ConfigViewModel
            config.activePlaylist = config.playlists[0]
            config.searchScenes("aurora")
            config.selectAllScenes()
            config.searchScenes("")
            config.transitionTime = 7.5
            for (var i = 0; i < config.allScenes.count; ++i) {
                var scene = config.allScenes.get(i)
                if (scene.type === "Postprocessing")
                    config.activeScene = scene
            }
            config.previewSelectedScene()
            console.log("kelvra-test selected=" + config.activePlaylist.scenesSelected)
            Qt.quit()
        }
    }
}
