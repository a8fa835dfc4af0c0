import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import QtQuick.Controls 2.15
import Kelvra 1.0

// Importing from the window: Ctrl+O opens the import dialog, which lists
// folders and scene packages only and imports nothing until packages are
// ticked; a drop offers only scene packages. (The import itself is tested
// in C++, tst_livecatalogue.)
TestCase {
    id: testCase
    name: "Import"
    when: windowShown

    property var window: null

    function initTestCase() {
        var component = Qt.createComponent("qrc:/qml/Main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = component.createObject(null)
        verify(window !== null)
        window.show()
        verify(waitForRendering(window.contentItem))
        window.requestActivate()
        tryCompare(window, "active", true)
    }

    function cleanupTestCase() {
        if (window)
            window.destroy()
    }

    function entries(list) {
        var names = []
        for (var i = 0; i < list.count; ++i)
            names.push(list.itemAtIndex(i).text)
        return names
    }

    function test_ctrlOListsPackagesAndImportsOnlyTicked() {
        var dialog = findChild(window.importDropArea, "importDialog")
        verify(dialog !== null)
        keyClick(Qt.Key_O, Qt.ControlModifier)
        tryCompare(dialog, "opened", true)
        dialog.openIn("file://" + testUserDir + "/packages")
        var list = findChild(dialog.contentItem, "importFileList")
        tryCompare(list, "count", 2)
        compare(entries(list), ["Deeper/", "Sky.kvd"])
        verify(!dialog.standardButton(Dialog.Open).enabled)

        mouseClick(list.itemAtIndex(1))
        compare(dialog.chosen.length, 1)
        verify(dialog.standardButton(Dialog.Open).enabled)
        mouseClick(list.itemAtIndex(1))
        compare(dialog.chosen.length, 0)

        // Into a folder: its package, whatever the case of its suffix.
        mouseClick(list.itemAtIndex(0))
        tryCompare(list, "count", 1)
        compare(entries(list), ["Sea.KVC"])
        dialog.reject()
        tryCompare(dialog, "visible", false)
    }

    function test_dropOffersPackagesOnly() {
        var area = window.importDropArea
        var urls = ["file:///tmp/a.kvd", "file:///tmp/b.KVC", "file:///tmp/c.zip", "https://example.org/d.kvd"]
        compare(area.packagesOf(urls), ["file:///tmp/a.kvd", "file:///tmp/b.KVC"])
        // What a drop hands over reaches the importer as a list of URLs.
        SceneImporter.importScenes(area.packagesOf(["file:///nonexistent/e.kvd"]))
    }
}
