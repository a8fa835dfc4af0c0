import QtQuick 2.15
import QtQuick.Controls 2.15
import QtTest 1.2
import Kelvra 1.0

// Names, authors, tags and descriptions come from scene files downloaded from
// anywhere: they are shown as the characters they are, never as markup. The
// scene "markupScene" holds markup in every text (see tst_qml.cpp).
TestCase {
    id: testCase
    name: "PlainText"
    when: windowShown
    width: 2400
    height: 1600

    // The same text laid out plainly in the label's font: what the label must show.
    Text {
        id: reference
        textFormat: Text.PlainText
    }

    function create(url, properties) {
        var component = Qt.createComponent(url)
        compare(component.status, Component.Ready, component.errorString())
        var object = createTemporaryObject(component, testCase, properties)
        verify(object !== null)
        return object
    }

    function verifyShownLiterally(label, expected) {
        compare(label.text, expected)
        reference.font = label.font
        reference.text = label.text
        // As markup the text would be a giant word, a heading or a 400 px
        // picture: neither its width nor its height would match.
        fuzzyCompare(label.contentWidth, reference.contentWidth, 1, label.objectName + " width")
        fuzzyCompare(label.contentHeight, reference.contentHeight, 1, label.objectName + " height")
    }

    function test_sceneCard() {
        var card = create("qrc:/qml/SceneCard.qml", {scene: markupScene, width: 2000, height: 1300})
        verifyShownLiterally(findChild(card, "cardName"), markupScene.name)
        verifyShownLiterally(findChild(card, "cardAuthor"), markupScene.author)
        verifyShownLiterally(findChild(card, "cardTags"), "Background · <h1>Tag</h1>")
    }

    function test_detailsPane() {
        ConfigViewModel.activeScene = markupScene
        var pane = create("qrc:/qml/DetailsPane.qml", {width: 2000, height: 1500})
        verifyShownLiterally(findChild(pane, "detailsName"), markupScene.name)
        verifyShownLiterally(findChild(pane, "detailsAuthor"), "by " + markupScene.author)
        // The tool tip is shared by the whole interface.
        compare(pane.ToolTip.toolTip.contentItem.textFormat, Text.PlainText)
        ConfigViewModel.activeScene = null
    }

    QtObject {
        id: markupTag
        property string name: "<font size=\"7\">Tag</font>"
        property real score: 3
        property bool selected: false
    }

    function test_tagChip() {
        var chip = create("qrc:/qml/TagChip.qml", {tag: markupTag})
        var label = chip.contentItem.children[0]
        verifyShownLiterally(label, markupTag.name)
    }
}
