import QtQuick 2.15
import QtTest 1.2
import Kelvra 1.0
import "qrc:/qml/Logic.js" as Logic

// The helpers the documents share, and the thumbnail URL round trip through
// the real image provider.
TestCase {
    id: testCase
    name: "Logic"
    when: windowShown

    Component {
        id: imageComponent
        Image {
            asynchronous: true
            cache: false
        }
    }

    function test_thumbnailUrl_data() {
        return [
            { tag: "plain", path: "/a/b.kvc", url: "image://kvscene//a/b.kvc#thumbnail.jpg" },
            { tag: "windows drive", path: "C:/Scenes/b.kvc", url: "image://kvscene/C:/Scenes/b.kvc#thumbnail.jpg" },
            { tag: "space and non-ASCII pass", path: "/x y/ü€.kvc", url: "image://kvscene//x y/ü€.kvc#thumbnail.jpg" },
            { tag: "percent escaped", path: "/p%41/s.kvc", url: "image://kvscene//p%2541/s.kvc#thumbnail.jpg" },
            { tag: "hash escaped, separator kept", path: "/a#b/s.kvc", url: "image://kvscene//a%23b/s.kvc#thumbnail.jpg" },
            { tag: "question mark escaped", path: "/q?/s.kvc", url: "image://kvscene//q%3F/s.kvc#thumbnail.jpg" },
            { tag: "empty", path: "", url: "" }
        ]
    }

    function test_thumbnailUrl(data) {
        compare(Logic.thumbnailUrl(data.path), data.url)
    }

    function test_tagCategory_data() {
        return [
            { tag: "Selected", name: "Selected", category: "filter" },
            { tag: "NotSelected", name: "NotSelected", category: "filter" },
            { tag: "User", name: "User", category: "filter" },
            { tag: "NoRelicensing", name: "NoRelicensing", category: "filter" },
            { tag: "Background", name: "Background", category: "type" },
            { tag: "Standalone", name: "Standalone", category: "type" },
            { tag: "case differs", name: "selected", category: "tag" },
            { tag: "scoped enum name", name: "SceneKinds::Selected", category: "tag" },
            { tag: "type in another case", name: "background", category: "tag" },
            { tag: "ordinary", name: "Space", category: "tag" }
        ]
    }

    function test_tagCategory(data) {
        compare(SceneKinds.tagCategory(data.name), data.category)
    }

    function test_licenseIcons_data() {
        var known = ["cc0", "cc-by", "cc-by-sa", "cc-by-nc", "cc-by-nc-sa", "cc-by-nd", "cc-by-nc-nd"]
        var rows = []
        for (var i = 0; i < known.length; ++i)
            rows.push({ tag: known[i], icon: "icons/" + known[i] + ".png", shipped: true })
        rows.push({ tag: "unknown licence", icon: "icons/gpl.png", shipped: false })
        rows.push({ tag: "no licence", icon: "", shipped: false })
        return rows
    }

    // Every licence we claim to know has its icon in the resource.
    function test_licenseIcons(data) {
        compare(Logic.hasLicenseIcon(data.icon), data.shipped)
        if (!data.shipped)
            return
        var image = createTemporaryObject(imageComponent, testCase, { source: Logic.licenseIconUrl(data.icon) })
        tryCompare(image, "status", Image.Ready)
        verify(image.implicitWidth > 0)
    }

    function test_licenseLabel_data() {
        return [
            { tag: "cc-by-sa", icon: "icons/cc-by-sa.png", label: "CC BY-SA" },
            { tag: "cc0", icon: "icons/cc0.png", label: "CC0" },
            { tag: "cc0 with version", icon: "icons/cc0-1.0.png", label: "CC0 1.0" },
            { tag: "other licence", icon: "icons/all-rights-reserved.png", label: "All rights reserved" },
            { tag: "none", icon: "", label: "" }
        ]
    }

    function test_licenseLabel(data) {
        compare(Logic.licenseLabel(data.icon), data.label)
    }

    function test_escapeHtml() {
        compare(Logic.escapeHtml("a<b>&\"c\""), "a&lt;b&gt;&amp;&quot;c&quot;")
    }

    // The file-name rule is the program's; the helper adds the names other
    // playlists have, spelled exactly.
    function test_playlistNameProblem_data() {
        return [
            { tag: "fine", name: "Evening", problem: false },
            { tag: "non-ASCII", name: "Abend ü", problem: false },
            { tag: "own name", name: "Party", own: "Party", problem: false },
            { tag: "other letter case", name: "party", problem: false },
            { tag: "empty", name: "", problem: true },
            { tag: "slash", name: "a/b", problem: true },
            { tag: "backslash", name: "a\\b", problem: true },
            { tag: "dot dot", name: "..", problem: true },
            { tag: "another playlist's name", name: "Chill", problem: true }
        ]
    }

    function test_playlistNameProblem(data) {
        var problem = Logic.playlistNameProblem(data.name, ["Party", "Chill"], data.own || "",
                                                ConfigViewModel.playlistNameProblem(data.name))
        compare(problem.length > 0, data.problem, problem)
    }

    // The provider receives the path with spaces, non-ASCII characters and
    // punctuation intact.
    function test_thumbnailLoads_data() {
        return [
            { tag: "directory with a space and non-ASCII name", path: testUserDir + "/scenes/My Scenes/Aurora ü.kvc", ready: true },
            { tag: "plus and semicolon", path: testUserDir + "/scenes/plus+semi;/Ember.kvc", ready: true },
            { tag: "percent, hash and question mark", path: testUserDir + "/odd paths/100% #1 ?/%41 ü.kvc", ready: true },
            { tag: "escape-like text and a hash in the name", path: testUserDir + "/odd paths/a%2Fb/c#d.kvc", ready: true },
            { tag: "missing scene", path: testUserDir + "/scenes/missing.kvc", ready: false }
        ]
    }

    function test_thumbnailLoads(data) {
        var image = createTemporaryObject(imageComponent, testCase, { source: Logic.thumbnailUrl(data.path) })
        tryVerify(function() { return image.status === Image.Ready || image.status === Image.Error })
        compare(image.status, data.ready ? Image.Ready : Image.Error)
    }
}
