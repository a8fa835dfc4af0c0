#include "CConfigViewModel.h"
#include "PlaylistTestSupport.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

// The settings properties of the configuration view model: how each kind
// converts between the record and what the user sees, and which signal it
// emits.
class TestConfigSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { env.setUp(); }
    void cleanupTestCase() { env.tearDown(); }
    void init() { env.reset(); }

    void conversions_data();
    void conversions();
    void storedRepresentation();
    void renderTargetSizeAndEdgesShareTheRecord();
    void minAboveMaxIsAccepted();
    void interfaceOrder();
    void resetRestoresEveryDefault();

private:
    // One spy per signal of the view model, so a test can say which signals
    // fired and that no other did.
    struct AllSignals
    {
        explicit AllSignals(QObject *object)
        {
            const QMetaObject *meta = object->metaObject();
            for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
                const QMetaMethod method = meta->method(i);
                if (method.methodType() == QMetaMethod::Signal)
                    spies.emplace_back(method.name(), std::make_unique<QSignalSpy>(object, method));
            }
        }
        QStringList fired() const
        {
            QStringList names;
            for (const auto &spy : spies) {
                for (int i = 0; i < spy.second->count(); ++i)
                    names.append(QString::fromLatin1(spy.first));
            }
            return names;
        }
        std::vector<std::pair<QByteArray, std::unique_ptr<QSignalSpy>>> spies;
    };

    PlaylistTestEnvironment env;
};

void TestConfigSettings::conversions_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("emits");
    QTest::addColumn<QVariant>("reads");

    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::addRow("percent: change") << QByteArray("postProcessingProbability") << QVariant(10.0f) << QVariant(25.0f)
                                     << true << QVariant(25.0f);
    QTest::addRow("percent: within tolerance") << QByteArray("postProcessingProbability") << QVariant(25.0f)
                                               << QVariant(25.000001f) << false << QVariant(25.0f);
    QTest::addRow("percent: just past tolerance") << QByteArray("transitionFromScale") << QVariant(50.0f)
                                                  << QVariant(50.0001f) << true << QVariant(50.0001f);
    QTest::addRow("percent: VR size") << QByteArray("renderTargetSizeVR") << QVariant(100.0f) << QVariant(150.0f)
                                      << true << QVariant(150.0f);
    QTest::addRow("whole: truncates") << QByteArray("minSceneTime") << QVariant(30.0f) << QVariant(7.9f) << true
                                      << QVariant(7.0f);
    QTest::addRow("whole: equal value") << QByteArray("minSceneTime") << QVariant(7.9f) << QVariant(7.0f) << false
                                        << QVariant(7.0f);
    QTest::addRow("whole: same truncation still emits") << QByteArray("maxSceneTime") << QVariant(7.0f)
                                                        << QVariant(7.9f) << true << QVariant(7.0f);
    QTest::addRow("whole: negative truncates toward zero") << QByteArray("maxSoundCaptureSilence") << QVariant(1.0f)
                                                           << QVariant(-2.7f) << true << QVariant(-2.0f);
    QTest::addRow("whole: too large saturates") << QByteArray("maxSceneTime") << QVariant(1.0f) << QVariant(1e20f)
                                                << true << QVariant(float(std::numeric_limits<qint32>::max()));
    QTest::addRow("whole: NaN stores 0") << QByteArray("minSceneTime") << QVariant(5.0f) << QVariant(nan) << true
                                         << QVariant(0.0f);
    QTest::addRow("plain: change") << QByteArray("transitionTime") << QVariant(1.0f) << QVariant(1.5f) << true
                                   << QVariant(1.5f);
    QTest::addRow("plain: same") << QByteArray("sceneChangeSilenceTime") << QVariant(1.5f) << QVariant(1.5f) << false
                                 << QVariant(1.5f);
    QTest::addRow("plain: NaN always emits") << QByteArray("sceneChangeSilenceCooldownTime") << QVariant(nan)
                                             << QVariant(nan) << true << QVariant(nan);
    QTest::addRow("edge: width") << QByteArray("renderTargetWidth") << QVariant(1) << QVariant(1920) << true
                                 << QVariant(1920);
    QTest::addRow("edge: same height") << QByteArray("renderTargetHeight") << QVariant(1080) << QVariant(1080)
                                       << false << QVariant(1080);
    QTest::addRow("flag: change") << QByteArray("captureSound") << QVariant(false) << QVariant(true) << true
                                  << QVariant(true);
    QTest::addRow("flag: same") << QByteArray("preferOpenVR") << QVariant(true) << QVariant(true) << false
                                << QVariant(true);
}

void TestConfigSettings::conversions()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, before);
    QFETCH(QVariant, value);
    QFETCH(bool, emits);
    QFETCH(QVariant, reads);

    CConfigViewModel viewModel(env.context());
    QVERIFY(viewModel.setProperty(property, before));
    AllSignals signalSpies(&viewModel);
    QVERIFY(viewModel.setProperty(property, value));

    const QStringList expected = emits ? QStringList{QString::fromLatin1(property + "Changed")} : QStringList{};
    QCOMPARE(signalSpies.fired(), expected);
    const QVariant read = viewModel.property(property);
    if (reads.userType() != QMetaType::Float) {
        QCOMPARE(read, reads);
    } else if (std::isnan(reads.toFloat())) {
        QVERIFY(std::isnan(read.toFloat()));
    } else {
        QCOMPARE(read.userType(), int(QMetaType::Float));
        QVERIFY2(std::fabs(read.toFloat() - reads.toFloat()) <= 1e-5f * std::max(1.0f, std::fabs(reads.toFloat())),
                 qPrintable(QString::number(double(read.toFloat()), 'g', 10)));
    }
    delete viewModel.filteredScenes();
}

void TestConfigSettings::storedRepresentation()
{
    CConfigViewModel viewModel(env.context());
    viewModel.setPostProcessingProbability(25.0f);
    viewModel.setMinSceneTime(7.9f);
    viewModel.setRenderTargetSizeVR(80.0f);
    const CCfg *config = gApp->Config();
    QCOMPARE(config->postProcessingProbability, 0.25f);
    QCOMPARE(config->minSceneTime, 7);
    QCOMPARE(config->renderTargetSizeVR, 80.0f * 0.01f);
    QVERIFY(!QFile::exists(gApp->ConfigPath()));   // setting a property never saves
    delete viewModel.filteredScenes();
}

void TestConfigSettings::renderTargetSizeAndEdgesShareTheRecord()
{
    CConfigViewModel viewModel(env.context());
    gApp->Config()->renderTargetWidth = 1.0;
    gApp->Config()->renderTargetHeight = 1.0;
    {
        AllSignals signalSpies(&viewModel);
        viewModel.setRenderTargetSize(50.0f);
        QCOMPARE(signalSpies.fired(), QStringList{"renderTargetSizeChanged"});
    }
    QCOMPARE(gApp->Config()->renderTargetWidth, double(50.0f * 0.01f));
    QCOMPARE(gApp->Config()->renderTargetHeight, double(50.0f * 0.01f));
    QCOMPARE(viewModel.renderTargetWidth(), 0);
    QCOMPARE(viewModel.renderTargetHeight(), 0);

    {
        AllSignals signalSpies(&viewModel);
        viewModel.setRenderTargetWidth(1920);
        QCOMPARE(signalSpies.fired(), QStringList{"renderTargetWidthChanged"});
    }
    QCOMPARE(viewModel.renderTargetSize(), 192000.0f);
    QCOMPARE(gApp->Config()->renderTargetHeight, double(50.0f * 0.01f));
    delete viewModel.filteredScenes();
}

void TestConfigSettings::minAboveMaxIsAccepted()
{
    CConfigViewModel viewModel(env.context());
    viewModel.setMaxSceneTime(10.0f);
    viewModel.setMinSceneTime(60.0f);
    QCOMPARE(viewModel.minSceneTime(), 60.0f);
    QCOMPARE(viewModel.maxSceneTime(), 10.0f);
    delete viewModel.filteredScenes();
}

// QML and the other parts of the program rely on the declared order.
void TestConfigSettings::interfaceOrder()
{
    const QMetaObject &meta = CConfigViewModel::staticMetaObject;
    QStringList properties;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        properties.append(QString::fromLatin1(meta.property(i).name()));
    QCOMPARE(properties, (QStringList{
        "randNextScene", "transitionTime", "transitionFromScale", "transitionToScale", "renderTargetSize",
        "renderTargetSizeVR", "renderTargetWidth", "renderTargetHeight", "minSceneTime", "maxSceneTime",
        "sceneChangeSilenceTime", "sceneChangeSilenceCooldownTime", "postProcessingProbability",
        "maxSoundCaptureSilence", "layerScenesInVR", "captureSound", "enablePreloader", "captureRecordingDevice",
        "checkForNewVersion", "sendUsageStats", "preferOpenVR", "scenesSelected", "activeScene", "activePlaylist",
        "playlistToRun", "filteredScenes", "allScenes", "playlists", "tags",
        // added after the interface QML was built on
        "bulkEditRunning", "bulkEditDone", "bulkEditTotal", "bulkEditDescription",
        // added for the playlists panel and the window
        "runningPlaylist", "runningPlaylistName", "runningPlaylistBundled", "windowStateFile",
        // added for undo
        "history", "undoMessage"}));

    QStringList methods;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        methods.append(QString::fromLatin1(meta.method(i).name()));
    QCOMPARE(methods, (QStringList{
        // signals
        "randNextSceneChanged", "transitionTimeChanged", "minSceneTimeChanged", "maxSceneTimeChanged",
        "postProcessingProbabilityChanged", "maxSoundCaptureSilenceChanged", "captureSoundChanged",
        "enablePreloaderChanged", "captureRecordingDeviceChanged", "checkForNewVersionChanged",
        "sendUsageStatsChanged", "transitionFromScaleChanged", "transitionToScaleChanged",
        "renderTargetSizeChanged", "renderTargetSizeVRChanged", "renderTargetWidthChanged",
        "renderTargetHeightChanged", "sceneChangeSilenceTimeChanged", "sceneChangeSilenceCooldownTimeChanged",
        "layerScenesInVRChanged", "preferOpenVRChanged", "scenesChanged", "activePlaylistChanged",
        "playlistToRunChanged", "playlistsChanged", "activeSceneChanged", "tagsChanged", "scenesSelectedChanged",
        "messageRaised",   // added after the interface QML was built on
        "bulkEditChanged", "bulkEditProgressChanged",
        "runningPlaylistChanged", "activePlaylistEdited", "noticeRaised", "undoMessageChanged",
        // slots
        "setRandNextScene", "setTransitionTime", "setMinSceneTime", "setMaxSceneTime",
        "setPostProcessingProbability", "setTransitionFromScale", "setTransitionToScale", "setRenderTargetSize",
        "setRenderTargetSizeVR", "setRenderTargetWidth", "setRenderTargetHeight", "setPlaylistToRun",
        "setActiveScene", "setActivePlaylist", "setMaxSoundCaptureSilence", "setCaptureSound",
        "setEnablePreloader", "setCaptureRecordingDevice", "setCheckForNewVersion", "setSendUsageStats",
        "setSceneChangeSilenceTime", "setSceneChangeSilenceCooldownTime", "setLayerScenesInVR", "setPreferOpenVR",
        // invokables
        "searchScenes", "selectTag", "addTag", "removeTag", "relicensingPossible", "addPlaylist",
        "deletePlaylist", "viewPlaylist", "previewSelectedScene", "previewSelectedSceneVR", "selectAllScenes",
        "deselectAllScenes", "toggleAllScenes", "playlistNameProblem",
        "bulkEditReach", "startBulkEdit", "cancelBulkEdit", "visibleRowOf", "undo",
        "selectVisibleRange", "resetSettingsToDefaults"}));
}

// Every setting moved away from its default comes back, with its own signal;
// the edges too, which the size setting alone would leave apart.
void TestConfigSettings::resetRestoresEveryDefault()
{
    CConfigViewModel viewModel;
    CConfigViewModel fresh;
    QStringList settings;
    const QMetaObject &meta = CConfigViewModel::staticMetaObject;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        const QMetaProperty property = meta.property(i);
        if (QByteArray(property.name()) == "scenesSelected")
            break;   // the settings come first
        settings.append(QString::fromLatin1(property.name()));
        const QVariant value = property.read(&viewModel);
        QVariant other = value.type() == QVariant::Bool ? QVariant(!value.toBool()) : QVariant(value.toDouble() + 3.0);
        QVERIFY(other.convert(value.userType()));
        QVERIFY(property.write(&viewModel, other));
    }
    viewModel.setRenderTargetHeight(1080);   // after the size, which sets both edges

    AllSignals spies(&viewModel);
    viewModel.resetSettingsToDefaults();
    for (const QString &name : qAsConst(settings)) {
        const QByteArray key = name.toLatin1();
        QCOMPARE(viewModel.property(key.constData()), fresh.property(key.constData()));
    }
    QStringList fired = spies.fired();
    for (const QString &name : qAsConst(settings))
        QVERIFY2(fired.removeOne(name + QStringLiteral("Changed")), qPrintable(name));
    QCOMPARE(fired, QStringList());
}

QTEST_GUILESS_MAIN(TestConfigSettings)
#include "tst_configsettings.moc"
