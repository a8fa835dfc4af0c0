import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import QtQuick.Window 2.15
import Kelvra 1.0

// The main window: playlists and filters on the left, the scene grid in the
// middle, the active scene on the right, settings in a drawer.
ApplicationWindow {
    id: window

    width: 1280
    height: 800
    minimumWidth: 960
    minimumHeight: 600
    visible: false
    title: qsTr("Kelvra Config")

    // For the tests and the screenshot tool.
    property alias settings: settingsDrawer
    property alias browser: browser
    property alias sidePanel: sidePanel
    property alias headerBar: headerBar
    property alias messageBanner: messageBanner

    Material.theme: Material.Dark
    Material.accent: "#4FC3F7"

    header: HeaderBar {
        id: headerBar
        onSettingsRequested: settingsDrawer.open()
        onSortByNameChanged: browser.applySortOrder(sortByName)
        onSearchTextEdited: browser.scrollToTop()
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        SidePanel {
            id: sidePanel
            Layout.preferredWidth: 270
            Layout.fillHeight: true
            onFiltersCleared: headerBar.clearSearch()
        }

        ToolSeparator {
            Layout.fillHeight: true
            orientation: Qt.Vertical
            padding: 0
        }

        SceneBrowser {
            id: browser
            Layout.fillWidth: true
            Layout.fillHeight: true
            onClearFiltersRequested: {
                sidePanel.clearFilters()
                headerBar.clearSearch()
            }
        }

        ToolSeparator {
            Layout.fillHeight: true
            orientation: Qt.Vertical
            padding: 0
        }

        DetailsPane {
            Layout.preferredWidth: 330
            Layout.fillHeight: true
        }
    }

    MessageBanner {
        id: messageBanner
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 24
        width: Math.min(parent.width - 48, 720)
        z: 10
    }

    SettingsDrawer {
        id: settingsDrawer
        width: Math.min(560, window.width * 0.6)
        height: window.height
    }

    Shortcut {
        sequence: "Ctrl+Q"
        context: Qt.ApplicationShortcut
        onActivated: Qt.quit()
    }
    Shortcut {
        sequence: "Ctrl+F"
        onActivated: headerBar.focusSearch()
    }
    Shortcut {
        sequence: "Ctrl+,"
        onActivated: settingsDrawer.open()
    }
    Shortcut {
        sequence: "F2"
        onActivated: sidePanel.renameActivePlaylist()
    }
    Shortcut {
        sequence: "Ctrl+N"
        onActivated: sidePanel.createPlaylist()
    }

    Component.onCompleted: browser.focusGrid()

    // ---- Importing scene packages: dropped on the window, or chosen with Ctrl+O ----
    property alias importDropArea: importDropArea
    ImportDropArea {
        id: importDropArea
    }
    Shortcut {
        sequence: "Ctrl+O"
        onActivated: importDropArea.openImportDialog()
    }
}
