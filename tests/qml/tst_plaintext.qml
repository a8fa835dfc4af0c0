import QtQuick 2.15
import QtQuick.Controls 2.15
import QtTest 1.2
import Kelvra 1.0

// Texts from scene files are shown as the characters they are, never as
// markup. "markupScene" holds markup in its name, author and tag.
TestCase {
    id: testCase
    name: "PlainText"
    when: windowShown

    Text { id: reference; textFormat: Text.PlainText }
    QtObject { id: markupTag; property string name: "<font size=\"7\">Tag</font>"; property real score: 3; property bool selected: false }

    function create(url, properties) {
        var object = createTemporaryObject(Qt.createComponent(url), testCase, properties)
        verify(object !== null, url)
        return object
    }

    // As markup the text would be a giant word, bold, or a 400 px picture.
    function verifyShownLiterally(label, expected) {
        compare(label.text, expected)
        reference.font = label.font
        reference.text = expected
        fuzzyCompare(label.contentWidth, reference.contentWidth, 1, expected)
        fuzzyCompare(label.contentHeight, reference.contentHeight, 1, expected)
    }

    function test_cardDetailsAndChip() {
        var card = create("qrc:/qml/SceneCard.qml", {scene: markupScene, width: 2000, height: 1300})
        verifyShownLiterally(findChild(card, "cardName"), markupScene.name)
        verifyShownLiterally(findChild(card, "cardAuthor"), markupScene.author)
        verifyShownLiterally(findChild(card, "cardTags"), "Background · <h1>Tag</h1>")

        ConfigViewModel.activeScene = markupScene
        var pane = create("qrc:/qml/DetailsPane.qml", {width: 2000, height: 1500})
        verifyShownLiterally(findChild(pane, "detailsName"), markupScene.name)
        verifyShownLiterally(findChild(pane, "detailsAuthor"), "by " + markupScene.author)
        // The one tool tip the interface shares.
        compare(pane.ToolTip.toolTip.contentItem.textFormat, Text.PlainText)
        ConfigViewModel.activeScene = null

        var chip = create("qrc:/qml/TagChip.qml", {tag: markupTag})
        verifyShownLiterally(chip.contentItem.children[0], markupTag.name)
    }
}
