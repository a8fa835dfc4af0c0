import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import Kelvra 1.0

// The player's settings. Changes are kept in memory and saved when the
// program quits or loses focus, and before a preview.
Drawer {
    id: drawer

    readonly property var vm: ConfigViewModel
    // Read through both notifications: writing the percentage changes the
    // width without announcing it, writing the width changes the percentage.
    readonly property bool renderInPixels: {
        var width = vm.renderTargetWidth
        return width >= 0 && vm.renderTargetSize > 1600
    }
    readonly property Item content: contentLoader.item ? contentLoader.item.flickable : null

    // The drawer is announced as the settings dialog.
    Component.onCompleted: contentItem.parent.Accessible.name = qsTr("Settings")
    edge: Qt.RightEdge
    dragMargin: 0
    onOpened: contentLoader.item.focusClose()

    // Made when the drawer first opens: the settings' controls are a good
    // part of what the window would otherwise make at every start, for a
    // drawer the user may not open.
    property bool everShown: false
    onAboutToShow: everShown = true
    Loader {
        id: contentLoader
        anchors.fill: parent
        active: drawer.everShown
        sourceComponent: ColumnLayout {
            property alias flickable: flick
            function focusClose() { closeButton.forceActiveFocus() }
            spacing: 0

            RowLayout {
                Layout.fillWidth: true
                Layout.margins: 8
                Layout.leftMargin: 20
                Label {
                    text: qsTr("Settings")
                    font.pixelSize: 22
                    Layout.fillWidth: true
                }
                ToolButton {
                    id: closeButton
                    text: "✕"
                    onClicked: drawer.close()
                    Accessible.name: qsTr("Close settings")
                }
            }

            Flickable {
                id: flick
                objectName: "settingsFlickable"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                contentHeight: groups.implicitHeight + 24
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: NamedScrollBar { name: qsTr("Scroll the settings") }

                ColumnLayout {
                    id: groups
                    x: 16
                    width: flick.width - 32
                    spacing: 12

                    GroupBox {
                        title: qsTr("Scenes and transitions")
                        Layout.fillWidth: true
                        ColumnLayout {
                            anchors.fill: parent
                            spacing: 4
                            SettingSwitch {
                                objectName: "randNextScene"
                                text: qsTr("Random scene order")
                                hint: qsTr("Pick the next scene at random instead of in playlist order")
                                checked: drawer.vm.randNextScene
                                onEdited: drawer.vm.randNextScene = value
                            }
                            SettingNumber {
                                id: minSceneTimeSetting
                                objectName: "minSceneTime"
                                text: qsTr("Minimum scene time")
                                value: drawer.vm.minSceneTime
                                from: 1; to: 3600; unit: qsTr("s")
                                onEdited: drawer.vm.minSceneTime = value
                            }
                            SettingNumber {
                                objectName: "maxSceneTime"
                                text: qsTr("Maximum scene time")
                                error: drawer.vm.minSceneTime > drawer.vm.maxSceneTime
                                       ? qsTr("Shorter than the minimum scene time: set it to at least %1.")
                                         .arg(minSceneTimeSetting.format(drawer.vm.minSceneTime))
                                       : ""
                                value: drawer.vm.maxSceneTime
                                from: 1; to: 3600; unit: qsTr("s")
                                onEdited: drawer.vm.maxSceneTime = value
                            }
                            SettingNumber {
                                objectName: "transitionTime"
                                text: qsTr("Transition time")
                                value: drawer.vm.transitionTime
                                from: 0; to: 60; stepSize: 0.5; decimals: 1; unit: qsTr("s")
                                onEdited: drawer.vm.transitionTime = value
                            }
                            SettingNumber {
                                objectName: "transitionFromScale"
                                text: qsTr("Transition: outgoing scene scale")
                                value: drawer.vm.transitionFromScale
                                from: 0; to: 400; stepSize: 5; unit: "%"
                                onEdited: drawer.vm.transitionFromScale = value
                            }
                            SettingNumber {
                                objectName: "transitionToScale"
                                text: qsTr("Transition: incoming scene scale")
                                value: drawer.vm.transitionToScale
                                from: 0; to: 400; stepSize: 5; unit: "%"
                                onEdited: drawer.vm.transitionToScale = value
                            }
                            SettingNumber {
                                objectName: "postProcessingProbability"
                                text: qsTr("Post-processing probability")
                                hint: qsTr("How often a post-processing scene is layered on top")
                                value: drawer.vm.postProcessingProbability
                                from: 0; to: 100; stepSize: 1; unit: "%"
                                showSlider: true
                                onEdited: drawer.vm.postProcessingProbability = value
                            }
                        }
                    }

                    GroupBox {
                        title: qsTr("Rendering")
                        Layout.fillWidth: true
                        ColumnLayout {
                            anchors.fill: parent
                            spacing: 4
                            // One pair of numbers holds either a fraction of the window
                            // (written as a percentage) or a width and height in pixels,
                            // whichever was set last. Nobody renders at 16 pixels, so a
                            // width above 16 means pixels.
                            RowLayout {
                                Layout.fillWidth: true
                                Label {
                                    text: qsTr("Render size")
                                    Layout.fillWidth: true
                                }
                                RadioButton {
                                    objectName: "renderRelative"
                                    text: qsTr("Relative")
                                    checked: !drawer.renderInPixels
                                    onToggled: drawer.vm.renderTargetSize = 100
                                    Accessible.name: qsTr("Render size relative to the window")
                                    FocusRing {}
                                }
                                RadioButton {
                                    objectName: "renderPixels"
                                    text: qsTr("Pixels")
                                    checked: drawer.renderInPixels
                                    onToggled: {
                                        drawer.vm.renderTargetWidth = 1920
                                        drawer.vm.renderTargetHeight = 1080
                                    }
                                    Accessible.name: qsTr("Render size in pixels")
                                    FocusRing {}
                                }
                            }
                            SettingNumber {
                                objectName: "renderTargetSize"
                                visible: !drawer.renderInPixels
                                text: qsTr("Size relative to the window")
                                value: drawer.vm.renderTargetSize
                                from: 10; to: 400; stepSize: 5; unit: "%"
                                onEdited: drawer.vm.renderTargetSize = value
                            }
                            SettingNumber {
                                objectName: "renderTargetWidth"
                                visible: drawer.renderInPixels
                                text: qsTr("Width")
                                value: drawer.vm.renderTargetWidth
                                from: 17; to: 16384; stepSize: 16; unit: qsTr("px")
                                onEdited: drawer.vm.renderTargetWidth = value
                            }
                            SettingNumber {
                                objectName: "renderTargetHeight"
                                visible: drawer.renderInPixels
                                text: qsTr("Height")
                                value: drawer.vm.renderTargetHeight
                                from: 1; to: 16384; stepSize: 16; unit: qsTr("px")
                                onEdited: drawer.vm.renderTargetHeight = value
                            }
                            SettingSwitch {
                                objectName: "enablePreloader"
                                text: qsTr("Preload the next scene")
                                hint: qsTr("Smoother scene changes, more memory")
                                checked: drawer.vm.enablePreloader
                                onEdited: drawer.vm.enablePreloader = value
                            }
                        }
                    }

                    GroupBox {
                        title: qsTr("Sound")
                        Layout.fillWidth: true
                        ColumnLayout {
                            anchors.fill: parent
                            spacing: 4
                            SettingSwitch {
                                objectName: "captureSound"
                                text: qsTr("Capture sound")
                                checked: drawer.vm.captureSound
                                onEdited: drawer.vm.captureSound = value
                            }
                            SettingSwitch {
                                objectName: "captureRecordingDevice"
                                // Without sound capture there is nothing to tune.
                                enabled: drawer.vm.captureSound
                                text: qsTr("Capture from the recording device")
                                hint: qsTr("Use the microphone or line input instead of what is playing")
                                checked: drawer.vm.captureRecordingDevice
                                onEdited: drawer.vm.captureRecordingDevice = value
                            }
                            SettingNumber {
                                objectName: "maxSoundCaptureSilence"
                                enabled: drawer.vm.captureSound
                                text: qsTr("Longest silence before restarting capture")
                                value: drawer.vm.maxSoundCaptureSilence
                                from: 0; to: 3600; unit: qsTr("s")
                                onEdited: drawer.vm.maxSoundCaptureSilence = value
                            }
                            SettingNumber {
                                objectName: "sceneChangeSilenceTime"
                                enabled: drawer.vm.captureSound
                                text: qsTr("Change scene after silence of")
                                value: drawer.vm.sceneChangeSilenceTime
                                from: 0; to: 600; stepSize: 0.5; decimals: 1; unit: qsTr("s")
                                onEdited: drawer.vm.sceneChangeSilenceTime = value
                            }
                            SettingNumber {
                                objectName: "sceneChangeSilenceCooldownTime"
                                enabled: drawer.vm.captureSound
                                text: qsTr("Wait after a silence change")
                                value: drawer.vm.sceneChangeSilenceCooldownTime
                                from: 0; to: 600; stepSize: 0.5; decimals: 1; unit: qsTr("s")
                                onEdited: drawer.vm.sceneChangeSilenceCooldownTime = value
                            }
                        }
                    }

                    GroupBox {
                        title: qsTr("VR")
                        Layout.fillWidth: true
                        ColumnLayout {
                            anchors.fill: parent
                            spacing: 4
                            SettingSwitch {
                                objectName: "layerScenesInVR"
                                text: qsTr("Layer scenes in VR")
                                checked: drawer.vm.layerScenesInVR
                                onEdited: drawer.vm.layerScenesInVR = value
                            }
                            SettingSwitch {
                                objectName: "preferOpenVR"
                                text: qsTr("Prefer OpenVR")
                                checked: drawer.vm.preferOpenVR
                                onEdited: drawer.vm.preferOpenVR = value
                            }
                            SettingNumber {
                                objectName: "renderTargetSizeVR"
                                text: qsTr("VR render size")
                                value: drawer.vm.renderTargetSizeVR
                                from: 10; to: 400; stepSize: 5; unit: "%"
                                onEdited: drawer.vm.renderTargetSizeVR = value
                            }
                        }
                    }

                    GroupBox {
                        title: qsTr("General")
                        Layout.fillWidth: true
                        ColumnLayout {
                            anchors.fill: parent
                            spacing: 4
                            // How this program looks, kept apart from the
                            // player's settings: stored for the interface alone.
                            RowLayout {
                                Layout.fillWidth: true
                                Label {
                                    text: qsTr("Theme")
                                    Layout.fillWidth: true
                                }
                                Repeater {
                                    model: [
                                        { choice: Theme.System, text: qsTr("Like the desktop") },
                                        { choice: Theme.Light, text: qsTr("Light") },
                                        { choice: Theme.Dark, text: qsTr("Dark") }
                                    ]
                                    delegate: RadioButton {
                                        objectName: "theme" + modelData.choice
                                        text: modelData.text
                                        checked: Theme.choice === modelData.choice
                                        onToggled: Theme.choice = modelData.choice
                                        Accessible.name: qsTr("Theme: %1").arg(text)
                                        FocusRing {}
                                    }
                                }
                            }
                            SettingSwitch {
                                objectName: "checkForNewVersion"
                                text: qsTr("Check for a new version")
                                checked: drawer.vm.checkForNewVersion
                                onEdited: drawer.vm.checkForNewVersion = value
                            }
                            SettingSwitch {
                                objectName: "sendUsageStats"
                                text: qsTr("Send anonymous usage statistics")
                                checked: drawer.vm.sendUsageStats
                                onEdited: drawer.vm.sendUsageStats = value
                            }
                        }
                    }

                    Button {
                        objectName: "resetSettingsButton"
                        text: qsTr("Reset to defaults…")
                        flat: true
                        Layout.topMargin: 8
                        onClicked: resetDialog.open()
                        Accessible.name: qsTr("Reset the player's settings to their defaults")
                        FocusRing {}
                    }
                }
            }
        }
    }

    Dialog {
        id: resetDialog
        objectName: "resetSettingsDialog"
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        title: qsTr("Reset settings")
        width: 420
        onOpened: cancelReset.forceActiveFocus()
        onAccepted: drawer.vm.resetSettingsToDefaults()

        Label {
            width: parent.width
            text: qsTr("Set every setting of the player in this drawer back to its default: scene times, "
                       + "transitions, sound, rendering, VR and updates. The playlists, the scenes "
                       + "and the theme stay as they are.")
            textFormat: Text.PlainText
            wrapMode: Text.WordWrap
        }

        footer: DialogButtonBox {
            DialogButton {
                objectName: "confirmReset"
                text: qsTr("Reset")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            DialogButton {
                id: cancelReset
                objectName: "cancelReset"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
        }
    }
}
