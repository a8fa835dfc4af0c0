// A process killed in the middle of a save, and a disk that fills up during
// one, must leave every file of the user complete: the old version or the
// new one, loadable, with all the scene's other entries intact.

#include "ReliabilityTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace Reliability;

namespace {

const char *const kHelper = KELVRA_SAVE_CHILD;

// The version a file holds: "v<n>" in the given texts, all of them alike.
int commonVersion(const QStringList &texts)
{
    static const QRegularExpression pattern(QStringLiteral("^v(\\d+)$"));
    int version = -1;
    for (const QString &text : texts) {
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch())
            return -1;
        const int value = match.captured(1).toInt();
        if (version >= 0 && value != version)
            return -1;
        version = value;
    }
    return version;
}

QStringList playlistIds(const CPlaylist &playlist)
{
    QStringList ids;
    for (const QList<PlaylistEntry *> *list : {&playlist.standaloneEntries, &playlist.backgroundEntries})
        for (const PlaylistEntry *entry : *list)
            ids.append(entry->sceneId);
    return ids;
}

const QStringList kUserFiles = {QStringLiteral("config.json"), QStringLiteral("list.kvp"),
                                QStringLiteral("scene.kvc")};

} // namespace

class tst_CrashDuringSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedWriterLeavesCompleteFiles();
    void fullDiskKeepsTheOldFiles();

private:
    bool setUpFiles(const QString &dir);
    QByteArray m_thumbnail;
};

void tst_CrashDuringSave::initTestCase()
{
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QBuffer buffer(&m_thumbnail);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "JPG"));
}

bool tst_CrashDuringSave::setUpFiles(const QString &dir)
{
    return createScene(dir + QStringLiteral("/scene.kvc"), m_thumbnail, 2 * 1024 * 1024)
        && createPlaylist(dir + QStringLiteral("/list.kvp"), 200)
        && createConfig(dir + QStringLiteral("/config.json"));
}

void tst_CrashDuringSave::killedWriterLeavesCompleteFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(setUpFiles(dir.path()));
    const QString scenePath = dir.filePath(QStringLiteral("scene.kvc"));
    const QString playlistPath = dir.filePath(QStringLiteral("list.kvp"));
    const QString configPath = dir.filePath(QStringLiteral("config.json"));
    const QByteArray content = contentFingerprint(scenePath);
    QVERIFY(!content.isEmpty());

    // The seed only varies the kill moments; the scheduler varies them more.
    const quint32 seed = qEnvironmentVariableIsSet("KELVRA_KILL_SEED")
        ? quint32(qEnvironmentVariableIntValue("KELVRA_KILL_SEED")) : 20261208u;
    QRandomGenerator random(seed);
    const int trials = 200;
    int sceneVersion = 0;
    int playlistVersion = 0;
    int configVersion = 0;
    int interruptedWrites = 0;
    int leftoverFiles = 0;

    for (int trial = 0; trial < trials; ++trial) {
        QProcess child;
        child.start(QString::fromLocal8Bit(kHelper), {QStringLiteral("loop"), dir.path()});
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        QVERIFY2(child.waitForReadyRead(30000), "the writer never started its loop");
        // Kill after a random number of save marks (three saves, two marks
        // each), then a little later still: the kills spread over every
        // file's save however fast or slow the machine is.
        QByteArray output = child.readAllStandardOutput();
        const auto marksSeen = [&output]() { return output.size() - (output.indexOf('\n') + 1); };
        const int marks = int(random.bounded(7));
        while (marksSeen() < marks && child.state() == QProcess::Running) {
            if (!child.waitForReadyRead(30000))
                break;
            output += child.readAllStandardOutput();
        }
        QThread::usleep(random.bounded(4000));
        child.kill();
        QVERIFY(child.waitForFinished(30000));
        QVERIFY2(child.exitStatus() == QProcess::CrashExit,
                 qPrintable(QStringLiteral("trial %1: the writer stopped by itself: %2")
                                .arg(trial).arg(QString::fromLocal8Bit(child.readAllStandardError()))));

        output += child.readAllStandardOutput();
        if (output.trimmed().endsWith('b'))
            ++interruptedWrites;
        const QString where = QStringLiteral("trial %1 (seed %2)").arg(trial).arg(seed);

        CScene scene;
        QVERIFY2(scene.Load(scenePath, true), qPrintable(where + QStringLiteral(": scene does not load")));
        const int sceneNow = commonVersion(scene.tagList);
        QVERIFY2(scene.tagList.size() == 1 && sceneNow >= sceneVersion,
                 qPrintable(where + QStringLiteral(": scene tags ") + scene.tagList.join(QLatin1Char(','))));
        QVERIFY2(contentFingerprint(scenePath) == content,
                 qPrintable(where + QStringLiteral(": scene content changed")));
        QCOMPARE(scene.GetName(), QStringLiteral("Reliability"));
        sceneVersion = sceneNow;

        CPlaylist playlist;
        QVERIFY2(playlist.Load(playlistPath), qPrintable(where + QStringLiteral(": playlist does not load")));
        QCOMPARE(playlist.totalScenes(), 200);
        const int playlistNow = commonVersion(playlistIds(playlist));
        QVERIFY2(playlistNow >= playlistVersion, qPrintable(where + QStringLiteral(": playlist entries mixed or older")));
        playlistVersion = playlistNow;

        // A configuration that does not parse would be moved aside by Load,
        // so look at the raw file first.
        QVERIFY2(QJsonDocument::fromJson(readFile(configPath)).isObject(),
                 qPrintable(where + QStringLiteral(": configuration is not complete JSON")));
        CCfg config;
        QVERIFY2(config.Load(configPath), qPrintable(where + QStringLiteral(": configuration does not load")));
        const int configNow = commonVersion({config.playlistToRun});
        QVERIFY2(configNow >= configVersion && config.minSceneTime == configNow % 1000,
                 qPrintable(where + QStringLiteral(": configuration ") + config.playlistToRun));
        QVERIFY(readFile(configPath).contains("playerWindow"));
        configVersion = configNow;

        // What is left besides the three files are the temporary files of
        // saves the kill interrupted (where the system cannot make unnamed
        // ones); they must never pass for a user file.
        const QStringList leftovers = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString &name : leftovers) {
            if (kUserFiles.contains(name))
                continue;
            QVERIFY2(!name.endsWith(QLatin1String(".kvc")) && !name.endsWith(QLatin1String(".kvp")),
                     qPrintable(where + QStringLiteral(": a leftover looks like a user file: ") + name));
            ++leftoverFiles;
            QFile::remove(dir.filePath(name));
        }
    }
    qInfo("%d kills, %d of them during a save, %d temporary files left; versions reached: scene %d, "
          "playlist %d, configuration %d",
          trials, interruptedWrites, leftoverFiles, sceneVersion, playlistVersion, configVersion);
    // The writer must have got through saves, or nothing was tested.
    QVERIFY(sceneVersion > 0 && playlistVersion > 0 && configVersion > 0);
}

void tst_CrashDuringSave::fullDiskKeepsTheOldFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(setUpFiles(dir.path()));
    QMap<QString, QByteArray> before;
    for (const QString &name : kUserFiles)
        before.insert(name, readFile(dir.filePath(name)));

    // Smaller than each of the three files: every rewrite runs out of room.
    QProcess child;
    child.start(QString::fromLocal8Bit(kHelper), {QStringLiteral("fulldisk"), dir.path(), QStringLiteral("64")});
    QVERIFY(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             qPrintable(QString::fromLocal8Bit(child.readAllStandardError())));
    // Every save says it failed; the scene still shows what its file holds.
    QCOMPARE(output, QStringLiteral("scene=0 playlist=0 config=0 tags=v0"));

    for (const QString &name : kUserFiles)
        QVERIFY2(readFile(dir.filePath(name)) == before.value(name), qPrintable(name));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), kUserFiles);
}

QTEST_GUILESS_MAIN(tst_CrashDuringSave)
#include "tst_crashduringsave.moc"
