import QtQuick 2.15
import QtQuick.Window 2.15
import Qt.labs.settings 1.0
import Kelvra 1.0

// What the window remembers across starts: its size and position, whether
// it was maximised, which side panels were folded away, and the order of
// the scenes. Kept in ConfigViewModel.windowStateFile (an INI file beside
// the configuration in the user directory), never in the configuration the
// player reads. Without that file (no application) nothing is remembered.
//
// The program shows its window maximised; a window the user last left
// smaller is given its size and place back once shown. A place that no
// screen shows any more (a monitor unplugged) is not restored, so the
// window never opens out of sight.
Item {
    id: state

    property var window: null
    // Set once the stored state was applied, so that applying it is not
    // taken for the user's change.
    property bool restored: false
    property bool pendingGeometry: false
    readonly property var store: loader.item

    // Whether some screen shows at least a corner of the title bar.
    function onSomeScreen(x, y, width) {
        var screens = Qt.application.screens
        for (var i = 0; i < screens.length; ++i) {
            var s = screens[i]
            var left = Math.max(x, s.virtualX)
            var right = Math.min(x + width, s.virtualX + s.width)
            if (right - left >= 64 && y >= s.virtualY && y + 32 <= s.virtualY + s.height)
                return true
        }
        return false
    }

    function applyGeometry() {
        var s = store
        if (!s || s.maximized || s.width < window.minimumWidth || s.height < window.minimumHeight)
            return
        window.showNormal()
        window.width = s.width
        window.height = s.height
        if (onSomeScreen(s.x, s.y, s.width)) {
            window.x = s.x
            window.y = s.y
        }
    }

    function restore() {
        var s = store
        if (s) {
            window.sideCollapsed = s.sideCollapsed
            window.detailsCollapsed = s.detailsCollapsed
            // A file from before the other orders holds sortByName alone.
            if (s.sortKey >= 0) {
                window.headerBar.sortKey = s.sortKey
                window.headerBar.sortDescending = s.sortDescending
            } else {
                window.headerBar.sortByName = s.sortByName
            }
            if (s.cardWidth > 0)
                window.browser.cardWidth = s.cardWidth
            pendingGeometry = !s.maximized && s.width > 0
        }
        restored = true
    }

    function remember() {
        var s = store
        if (!restored || !s)
            return
        s.sideCollapsed = window.sideCollapsed
        s.detailsCollapsed = window.detailsCollapsed
        s.sortByName = window.headerBar.sortByName
        s.sortKey = window.headerBar.sortKey
        s.sortDescending = window.headerBar.sortDescending
        s.cardWidth = window.browser.cardWidth
        if (pendingGeometry || window.visibility === Window.Hidden)
            return
        s.maximized = window.visibility === Window.Maximized || window.visibility === Window.FullScreen
        if (window.visibility === Window.Windowed) {
            s.x = window.x
            s.y = window.y
            s.width = window.width
            s.height = window.height
        }
    }

    Loader {
        id: loader
        active: ConfigViewModel.windowStateFile.length > 0
        sourceComponent: Settings {
            fileName: ConfigViewModel.windowStateFile
            category: "window"
            property int x: 0
            property int y: 0
            property int width: 0
            property int height: 0
            property bool maximized: true
            property bool sideCollapsed: false
            property bool detailsCollapsed: false
            property bool sortByName: false
            property int sortKey: -1
            property bool sortDescending: false
            property int cardWidth: 0
        }
        onLoaded: state.restore()
    }

    Component.onCompleted: if (!loader.active) restored = true

    Connections {
        target: state.window
        function onVisibilityChanged() {
            if (state.pendingGeometry && state.window.visibility !== Window.Hidden) {
                state.pendingGeometry = false
                state.applyGeometry()
            }
            state.remember()
        }
        function onXChanged() { state.remember() }
        function onYChanged() { state.remember() }
        function onWidthChanged() { state.remember() }
        function onHeightChanged() { state.remember() }
        function onSideCollapsedChanged() { state.remember() }
        function onDetailsCollapsedChanged() { state.remember() }
    }
    Connections {
        target: state.window ? state.window.headerBar : null
        function onSortByNameChanged() { state.remember() }
        function onSortKeyChanged() { state.remember() }
        function onSortDescendingChanged() { state.remember() }
    }
    Connections {
        target: state.window ? state.window.browser : null
        function onCardWidthChanged() { state.remember() }
    }
}
