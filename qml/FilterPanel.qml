import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// The tag list as toggles: filter words first, then scene types, then the
// ordinary tags, each with its score. Selected toggles combine with AND.
Item {
    id: panel

    readonly property var tags: ConfigViewModel.tags

    signal cleared()

    // "Selected" and "NotSelected" are scored to lead the list; what the
    // user wants to see beside them is how many scenes are (not) selected.
    // How many of the scenes shown now the chip would keep (the filter's
    // facet count); until the first count, the tag's score.
    function countFor(tag) {
        if (tag.facetCount >= 0)
            return tag.facetCount
        var playlist = ConfigViewModel.activePlaylist
        var total = ConfigViewModel.allScenes ? ConfigViewModel.allScenes.count : 0
        var word = SceneKinds.filterWordOf(tag.name)
        if (word === SceneKinds.Selected)
            return playlist ? playlist.scenesSelected : -1
        if (word === SceneKinds.NotSelected)
            return playlist ? total - playlist.scenesSelected : -1
        return Math.round(tag.score)
    }

    // Split again whenever the tag list changes (a tag made or gone).
    function tagsIn(category) {
        var result = []
        for (var i = 0; i < tags.length; ++i)
            if (SceneKinds.tagCategory(tags[i].name) === category)
                result.push(tags[i])
        return result
    }

    function toggle(tag) {
        ConfigViewModel.selectTag(tag.name, !tag.selected)
    }

    function clearAll() {
        for (var i = 0; i < tags.length; ++i) {
            if (tags[i].selected)
                ConfigViewModel.selectTag(tags[i].name, false)
        }
        cleared()
    }

    implicitHeight: content.implicitHeight

    ColumnLayout {
        id: content
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Label {
                text: qsTr("FILTERS")
                font.pixelSize: 12
                font.weight: Font.DemiBold
                color: Material.secondaryTextColor
                Layout.fillWidth: true
            }
            ToolButton {
                objectName: "clearFilters"
                text: qsTr("Clear all")
                font.pixelSize: 12
                onClicked: panel.clearAll()
                Accessible.name: qsTr("Clear all filters")
                FocusRing {}
            }
        }

        Flickable {
            id: flick
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            contentHeight: groups.implicitHeight
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: NamedScrollBar { name: qsTr("Scroll the filters") }

            Column {
                id: groups
                width: flick.width
                spacing: 4

                Repeater {
                    model: [
                        { key: "filter", title: qsTr("Show only") },
                        { key: "type", title: qsTr("Types") },
                        { key: "tag", title: qsTr("Tags") }
                    ]
                    delegate: Column {
                        readonly property string category: modelData.key
                        visible: chips.count > 0
                        width: groups.width
                        spacing: 0
                        Label {
                            leftPadding: 12
                            topPadding: 6
                            bottomPadding: 2
                            text: modelData.title
                            font.pixelSize: 11
                            color: Material.hintTextColor
                        }
                        // One Tab stop per group: the arrow keys move among
                        // its chips, Space toggles the one with the focus.
                        FocusScope {
                            id: group
                            objectName: "chipGroup:" + category
                            property int current: 0
                            width: parent.width
                            height: flow.implicitHeight
                            activeFocusOnTab: true
                            // The heading above names the group; the
                            // chips are read one by one.
                            Accessible.ignored: true

                            function move(step) {
                                if (chips.count === 0)
                                    return
                                current = Math.max(0, Math.min(chips.count - 1, current + step))
                                chips.itemAt(current).forceActiveFocus(Qt.TabFocusReason)
                            }

                            Keys.onLeftPressed: move(-1)
                            Keys.onUpPressed: move(-1)
                            Keys.onRightPressed: move(1)
                            Keys.onDownPressed: move(1)
                            Keys.onPressed: {
                                if (event.key === Qt.Key_Home) {
                                    move(-chips.count)
                                    event.accepted = true
                                } else if (event.key === Qt.Key_End) {
                                    move(chips.count)
                                    event.accepted = true
                                }
                            }

                            Flow {
                                id: flow
                                width: parent.width - 16
                                x: 10
                                spacing: 4
                                Repeater {
                                    id: chips
                                    model: panel.tagsIn(category)
                                    delegate: TagChip {
                                        objectName: "tag:" + modelData.name
                                        tag: modelData
                                        category: SceneKinds.tagCategory(modelData.name)
                                        count: panel.countFor(modelData)
                                        focus: index === group.current
                                        ownTabStop: false
                                        onChosen: panel.toggle(modelData)
                                        onClicked: group.current = index
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}
