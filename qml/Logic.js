.pragma library

// Presentation helpers without access to the view models, shared by the
// documents and exercised directly by the Qt Quick tests. What a tag name
// means (filter word, scene type, tag) is SceneKinds' to say.

// The thumbnail provider receives the URL path decoded by the toolkit, except
// that "%" always arrives as "%25" and a bare "#" or "?" would start the
// fragment or the query. Escaping exactly those three in the scene path
// leaves one raw "#", the separator before the entry name; the provider
// splits there and percent-decodes both parts. Spaces and non-ASCII
// characters pass through unchanged.
function escapeImagePath(path) {
    return String(path).replace(/%/g, "%25").replace(/#/g, "%23").replace(/\?/g, "%3F")
}

function thumbnailUrl(filepath) {
    if (!filepath)
        return ""
    return "image://kvscene/" + escapeImagePath(filepath) + "#thumbnail.jpg"
}

// A licence icon path as the scene reports it ("icons/cc-by.png"), made
// relative to the resource folder of the documents. Empty gives ""; whether
// the icon is shipped is hasLicenseIcon's question.
function licenseIconUrl(licenseImage) {
    if (!licenseImage)
        return ""
    return "qrc:/qml/" + licenseImage
}

// Licences for which we ship an icon.
var knownLicenseIcons = ["cc0", "cc0-1.0", "cc-by", "cc-by-sa", "cc-by-nc", "cc-by-nc-sa", "cc-by-nd", "cc-by-nc-nd"]

// The licence an icon path names: "icons/cc-by-sa.png" gives "cc-by-sa",
// anything not of that form "".
function licenseKey(licenseImage) {
    var m = /^icons\/(.+)\.png$/.exec(String(licenseImage))
    return m === null ? "" : m[1]
}

function hasLicenseIcon(licenseImage) {
    var key = licenseKey(licenseImage)
    return key.length > 0 && knownLicenseIcons.indexOf(key) >= 0
}

// Text from scene files placed into rich text.
function escapeHtml(text) {
    return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/"/g, "&quot;")
}

// A readable name for the licence behind an icon path: "icons/cc-by-sa.png"
// gives "CC BY-SA", "icons/all-rights-reserved.png" "All rights reserved".
function licenseLabel(licenseImage) {
    var key = licenseKey(licenseImage)
    if (key.length === 0)
        return ""
    if (key.indexOf("cc-") === 0)
        return "CC " + key.substring(3).toUpperCase()
    if (key.indexOf("cc0") === 0)
        return key.toUpperCase().replace(/-/g, " ")
    var words = key.replace(/-/g, " ")
    return words.charAt(0).toUpperCase() + words.substring(1)
}

// A playlist name's problem for the name dialogs: fileNameProblem, what the
// program says about the name as a file name
// (ConfigViewModel.playlistNameProblem), else a name another playlist has.
// Names are compared exactly; whether two spellings are one file is the
// file system's question, which the program answers when it renames.
function playlistNameProblem(name, existingNames, ownName, fileNameProblem) {
    if (fileNameProblem)
        return String(fileNameProblem)
    var n = String(name)
    for (var i = 0; i < existingNames.length; ++i) {
        if (existingNames[i] !== ownName && existingNames[i] === n)
            return qsTr("A playlist with this name exists already.")
    }
    return ""
}
