#include "EngineTestSupport.h"

#include <CCfg.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace EngineTest;

namespace {

QVariantList fieldsOf(const CCfg &c)
{
    return {c.playlistToRun, c.sendUsageStats, c.checkForNewVersion, c.randNextScene,
            c.layerScenesInVR, c.preferOpenVR, c.captureSound, c.captureRecordingDevice,
            c.maxSoundCaptureSilence, c.sceneChangeSilenceTime, c.sceneChangeSilenceCooldownTime,
            c.minSceneTime, c.maxSceneTime, c.transitionTime, c.transitionFromScale,
            c.transitionToScale, c.postProcessingProbability, c.enablePreloader,
            c.renderTargetWidth, c.renderTargetHeight, c.renderTargetSizeVR};
}

CCfg everyFieldChanged()
{
    CCfg c;
    c.playlistToRun = QStringLiteral("/home/ümit/.local/share/Kelvra/playlists/Chill.kvp");
    c.sendUsageStats = !c.sendUsageStats;
    c.checkForNewVersion = !c.checkForNewVersion;
    c.randNextScene = !c.randNextScene;
    c.layerScenesInVR = !c.layerScenesInVR;
    c.preferOpenVR = !c.preferOpenVR;
    c.captureSound = !c.captureSound;
    c.captureRecordingDevice = !c.captureRecordingDevice;
    c.maxSoundCaptureSilence = -7;
    c.sceneChangeSilenceTime = 0.1f;
    c.sceneChangeSilenceCooldownTime = 1e-7f;
    c.minSceneTime = std::numeric_limits<qint32>::min();
    c.maxSceneTime = std::numeric_limits<qint32>::max();
    c.transitionTime = 3.3333333f;
    c.transitionFromScale = 0.55f;
    c.transitionToScale = 1.45f;
    c.postProcessingProbability = 0.333f;
    c.enablePreloader = !c.enablePreloader;
    c.renderTargetWidth = 1920.0;
    c.renderTargetHeight = 0.123456789012345;
    c.renderTargetSizeVR = 0.75f;
    return c;
}

QStringList asideFiles(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("config.json.corrupt-*")}, QDir::Files);
}

} // namespace

class tst_EngineConfig : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("config.json"));
    }

    void missingFileGivesDefaults()
    {
        CCfg cfg = everyFieldChanged();
        QVERIFY(cfg.Load(m_path));
        QCOMPARE(fieldsOf(cfg), fieldsOf(CCfg()));
        QVERIFY(!QFile::exists(m_path));
    }

    void everyFieldReadsBack()
    {
        const CCfg saved = everyFieldChanged();
        QCOMPARE(fieldsOf(saved).size(), 21);
        QVERIFY(saved.Save(m_path));
        CCfg loaded;
        QVERIFY(loaded.Load(m_path));
        QCOMPARE(fieldsOf(loaded), fieldsOf(saved));
    }

    void missingKeysKeepTheirDefaults()
    {
        QVERIFY(writeFile(m_path, "{\"minSceneTime\": 7, \"captureSound\": false}"));
        CCfg cfg;
        QVERIFY(cfg.Load(m_path));
        CCfg expected;
        expected.minSceneTime = 7;
        expected.captureSound = false;
        QCOMPARE(fieldsOf(cfg), fieldsOf(expected));
    }

    void wrongTypesKeepTheDefault_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addRow("whole number as text") << QByteArray("{\"minSceneTime\": \"7\"}");
        QTest::addRow("whole number with a fraction") << QByteArray("{\"minSceneTime\": 7.5}");
        QTest::addRow("whole number beyond 32 bits") << QByteArray("{\"minSceneTime\": 1e12}");
        QTest::addRow("flag as number") << QByteArray("{\"captureSound\": 0}");
        QTest::addRow("float as text") << QByteArray("{\"transitionTime\": \"fast\"}");
        QTest::addRow("float beyond float range") << QByteArray("{\"transitionTime\": 1e300}");
        QTest::addRow("playlist as number") << QByteArray("{\"playlistToRun\": 5}");
        QTest::addRow("render target null") << QByteArray("{\"renderTargetWidth\": null}");
        QTest::addRow("render target object") << QByteArray("{\"renderTargetHeight\": {}}");
    }

    void wrongTypesKeepTheDefault()
    {
        QFETCH(QByteArray, json);
        // The well-typed key beside the bad one is still read.
        json = "{\"maxSceneTime\": 99, " + json.mid(1);
        QVERIFY(writeFile(m_path, json));
        CCfg cfg;
        QVERIFY(cfg.Load(m_path));
        CCfg expected;
        expected.maxSceneTime = 99;
        QCOMPARE(fieldsOf(cfg), fieldsOf(expected));
        QVERIFY(asideFiles(m_dir->path()).isEmpty());
    }

    void unparsableFileIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("empty") << QByteArray();
        QTest::addRow("garbage") << QByteArray("\x00\xff garbage", 10);
        QTest::addRow("truncated") << QByteArray("{\"minSceneTime\": 7, \"captur");
        QTest::addRow("array") << QByteArray("[1, 2, 3]");
        QTest::addRow("nested deeper than 1000") << "{\"x\": " + QByteArray(1000, '[') + QByteArray(1000, ']') + "}";
        QTest::addRow("larger than 1 MiB") << QByteArray("{\"x\": \"") + QByteArray(2 * 1024 * 1024, 'a')
                                                + QByteArray("\"}");
    }

    void unparsableFileIsKeptAside()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(m_path, bytes));
        CCfg cfg = everyFieldChanged();
        QVERIFY(!cfg.Load(m_path));
        QCOMPARE(fieldsOf(cfg), fieldsOf(CCfg()));
        QVERIFY(!QFile::exists(m_path));
        const QStringList aside = asideFiles(m_dir->path());
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readFile(m_dir->filePath(aside.first())), bytes);

        // The next save writes a fresh file and leaves the kept one alone;
        // a second bad file is kept under another name.
        QVERIFY(cfg.Save(m_path));
        QVERIFY(cfg.Load(m_path));
        QVERIFY(writeFile(m_path, "{"));
        QVERIFY(!cfg.Load(m_path));
        QCOMPARE(asideFiles(m_dir->path()).size(), 2);
        QCOMPARE(readFile(m_dir->filePath(aside.first())), bytes);
    }

    void unknownKeysAreWrittenBack()
    {
        QVERIFY(writeFile(m_path, "{\"playerWindow\": {\"x\": 10, \"y\": 20}, \"minSceneTime\": 12}"));
        CCfg cfg;
        QVERIFY(cfg.Load(m_path));
        cfg.minSceneTime = 13;
        QVERIFY(cfg.Save(m_path));
        const QJsonObject saved = QJsonDocument::fromJson(readFile(m_path)).object();
        QCOMPARE(saved.value("playerWindow").toObject().value("y").toInt(), 20);
        QCOMPARE(saved.value("minSceneTime").toInt(), 13);
    }

    // Qt holds JSON numbers as doubles; the player's own keys must not come
    // back rounded, nor cut where their text holds brackets or quotes.
    void unknownKeysKeepTheirText_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addRow("integer above 2^53") << QByteArray("\"deviceId\"") << QByteArray("9007199254740993");
        QTest::addRow("long decimal") << QByteArray("\"gamma\"") << QByteArray("0.1000000000000000055511151231257827");
        QTest::addRow("numbers nested") << QByteArray("\"window\"")
                                        << QByteArray("{\"ids\":[18446744073709551615,-0.0,1E+2]}");
        QTest::addRow("brackets in text") << QByteArray("\"note\"") << QByteArray("[\"}],{\\\"x\\\":1\",{\"a\":\"\\\\\"}]");
        QTest::addRow("escaped key") << QByteArray("\"a\\\"b\"") << QByteArray("true");
    }

    void unknownKeysKeepTheirText()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QVERIFY(writeFile(m_path, "{\n  " + key + " :  " + value + " ,\n  \"minSceneTime\": 12\n}"));
        CCfg cfg;
        QVERIFY(cfg.Load(m_path));
        QCOMPARE(cfg.minSceneTime, 12);
        cfg.minSceneTime = 13;
        QVERIFY(cfg.Save(m_path));
        const QByteArray saved = readFile(m_path);
        QVERIFY2(saved.contains(key + ':' + value), saved.constData());
        QVERIFY(saved.contains("\"minSceneTime\":13"));
    }

    // Everything Save writes, Load takes back: a save that would grow past
    // the reader's limit is refused and the old file kept.
    void saveBeyondWhatLoadTakesKeepsTheOldFile()
    {
        const QByteArray before = "{\"pad\":\"" + QByteArray(1024 * 1024 - 600, 'x') + "\"}";
        QVERIFY(writeFile(m_path, before));
        CCfg cfg;
        QVERIFY(cfg.Load(m_path));
        cfg.playlistToRun = QString(1000, QLatin1Char('p'));
        QVERIFY(!cfg.Save(m_path));
        QCOMPARE(readFile(m_path), before);
        cfg.playlistToRun.clear();
        QVERIFY(cfg.Save(m_path));
        QVERIFY(cfg.Load(m_path));
    }

    void nonFiniteValuesAreNotWritten()
    {
        CCfg cfg;
        cfg.transitionTime = std::numeric_limits<float>::quiet_NaN();
        cfg.renderTargetWidth = std::numeric_limits<double>::infinity();
        QVERIFY(cfg.Save(m_path));
        CCfg loaded;
        QVERIFY(loaded.Load(m_path));
        QCOMPARE(loaded.transitionTime, CCfg().transitionTime);
        QCOMPARE(loaded.renderTargetWidth, CCfg().renderTargetWidth);
    }

    void failedWriteKeepsTheOldFile()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no way to make writes fail here");
        QVERIFY(CCfg().Save(m_path));
        const QByteArray before = readFile(m_path);
        const CCfg changed = everyFieldChanged();
        {
            FileSizeLimit diskFull(64);
            QVERIFY(!changed.Save(m_path));
        }
        QCOMPARE(readFile(m_path), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"config.json"});
    }

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(tst_EngineConfig)
#include "tst_engineconfig.moc"
