import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import QtQuick.Window 2.15
import Qt.labs.settings 1.0
import Kelvra 1.0

// The main window: playlists and filters on the left, the scene grid in the
// middle, the active scene on the right, settings in a drawer. Either side
// can be folded away from the header; below compactWidth the details open
// over the grid instead of beside it, so the grid keeps its columns.
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
    property alias aboutDialog: aboutDialog
    property alias shortcutsSheet: shortcutsSheet

    // Below this width the details pane lies over the grid when open.
    readonly property int compactWidth: 1200
    readonly property bool compact: width < compactWidth
    property bool sideCollapsed: false
    // In a wide window: whether the user folded the details away.
    property bool detailsCollapsed: false
    // In a compact window: whether the user opened the details.
    property bool detailsOpenCompact: false
    readonly property bool detailsShown: compact ? detailsOpenCompact : !detailsCollapsed

    function toggleSidePanel() {
        sideCollapsed = !sideCollapsed
    }

    function toggleDetails() {
        if (compact)
            detailsOpenCompact = !detailsOpenCompact
        else
            detailsCollapsed = !detailsCollapsed
    }

    Material.theme: Theme.dark ? Material.Dark : Material.Light
    // The same light blue in both, dark enough on white to read.
    Material.accent: Theme.accent
    Material.primary: Theme.primary

    header: HeaderBar {
        id: headerBar
        compact: window.compact
        sidePanelShown: !window.sideCollapsed
        detailsShown: window.detailsShown
        onSettingsRequested: settingsDrawer.open()
        onSortByNameChanged: browser.applySortOrder(sortByName)
        onSearchTextEdited: browser.scrollToTop()
        onResultsRequested: browser.focusGrid()
        onSidePanelToggled: window.toggleSidePanel()
        onDetailsToggled: window.toggleDetails()
        onShortcutsRequested: shortcutsSheet.open()
        onImportRequested: importDropArea.openImportDialog()
        onAboutRequested: aboutDialog.open()
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        SidePanel {
            id: sidePanel
            visible: !window.sideCollapsed
            Layout.preferredWidth: 270
            Layout.fillHeight: true
            onFiltersCleared: headerBar.clearSearch()
        }

        ToolSeparator {
            visible: sidePanel.visible
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
            visible: window.detailsShown && !window.compact
            Layout.fillHeight: true
            orientation: Qt.Vertical
            padding: 0
        }

        // The room the details take beside the grid in a wide window.
        Item {
            visible: window.detailsShown && !window.compact
            Layout.preferredWidth: detailsHolder.width
            Layout.fillHeight: true
        }
    }

    // Beside the grid in a wide window (over the room kept for it), over the
    // grid's right edge in a compact one.
    Pane {
        id: detailsHolder
        objectName: "detailsHolder"
        visible: window.detailsShown
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: 330
        padding: 0
        z: 5
        Material.elevation: window.compact ? 8 : 0
        Accessible.ignored: true
        DetailsPane {
            anchors.fill: parent
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
        width: Math.min(560, Math.max(window.width * 0.6, 480))
        height: window.height
    }

    WindowState {
        id: windowState
        objectName: "windowState"
        window: window
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
        onActivated: {
            window.sideCollapsed = false
            sidePanel.renameActivePlaylist()
        }
    }
    Shortcut {
        sequence: "Ctrl+N"
        onActivated: sidePanel.createPlaylist()
    }
    Shortcut {
        sequence: "Ctrl+L"
        onActivated: window.toggleSidePanel()
    }
    Shortcut {
        sequence: "Ctrl+D"
        onActivated: window.toggleDetails()
    }
    // A text field being edited takes Ctrl+Z for its own text first.
    Shortcut {
        sequences: [StandardKey.Undo]
        enabled: ConfigViewModel.history.canUndo
        onActivated: ConfigViewModel.undo()
    }
    // Thumbnail size: bigger, smaller, the usual size.
    Shortcut {
        sequences: ["Ctrl++", "Ctrl+="]
        onActivated: browser.growCards()
    }
    Shortcut {
        sequence: "Ctrl+-"
        onActivated: browser.shrinkCards()
    }
    Shortcut {
        sequence: "Ctrl+0"
        onActivated: browser.resetCards()
    }

    AboutDialog {
        id: aboutDialog
    }
    ShortcutsSheet {
        id: shortcutsSheet
    }
    Shortcut {
        sequences: ["F1", "Ctrl+?"]
        onActivated: shortcutsSheet.open()
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
