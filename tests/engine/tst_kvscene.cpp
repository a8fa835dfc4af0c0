#include "ZipTestSupport.h"

#include <CPlaylist.h>
#include <CScene.h>

#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace EngineTest;

// The scene tool as a user runs it, and the demo content it generates into
// the application directory.
class tst_Kvscene : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    Run kvscene(const QStringList &arguments)
    {
        QProcess process;
        process.start(m_tool, arguments);
        Run run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

    QJsonObject show(const QString &path)
    {
        const Run run = kvscene({QStringLiteral("show"), path});
        return run.exitCode == 0 ? QJsonDocument::fromJson(run.out).object() : QJsonObject();
    }

    QString m_tool;
    QString m_appDir;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        m_appDir = qEnvironmentVariable("KELVRA_TEST_APP_DIR");
        m_tool = m_appDir + QStringLiteral("/kvscene");
        if (!QFileInfo(m_tool).isExecutable())
            QSKIP("kvscene is not built");
        QVERIFY(m_dir.isValid());
    }

    void createWritesWhatShowReads()
    {
        const QString path = m_dir.filePath(QStringLiteral("full.kvc"));
        const Run run = kvscene({"create", path, "--name", "Solar Flare ☀", "--author", "Kelvra Team",
                                 "--id", "kv.solar", "--description", "Hot", "--license", "CC BY 4.0",
                                 "--tag", "Space", "--tag", "Energetic", "--type", "transition",
                                 "--no-relicensing", "--date", "2025-09-30T07:45:01",
                                 "--content-size", "12345"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject shown = show(path);
        QCOMPARE(shown.value("name").toString(), QStringLiteral("Solar Flare ☀"));
        QCOMPARE(shown.value("author").toString(), QStringLiteral("Kelvra Team"));
        QCOMPARE(shown.value("id").toString(), QStringLiteral("kv.solar"));
        QCOMPARE(shown.value("description").toString(), QStringLiteral("Hot"));
        QCOMPARE(shown.value("license").toString(), QStringLiteral("CC BY 4.0"));
        QCOMPARE(shown.value("licenseUrl").toString(), QStringLiteral("https://creativecommons.org/licenses/by/4.0/"));
        QCOMPARE(shown.value("tags").toArray(), (QJsonArray{"Space", "Energetic"}));
        QCOMPARE(shown.value("typeFlags").toInt(), 8);
        QCOMPARE(shown.value("type").toString(), QStringLiteral("Transition"));
        QCOMPARE(shown.value("relicensing").toBool(), false);
        QCOMPARE(shown.value("date").toString(), QStringLiteral("2025-09-30T07:45:01"));
        QCOMPARE(entryData(path, QStringLiteral("content.bin")).size(), 12345);

        const QImage thumbnail = QImage::fromData(entryData(path, QStringLiteral("thumbnail.jpg")), "JPEG");
        QCOMPARE(thumbnail.size(), QSize(256, 144));
    }

    void drawnThumbnailsDifferByName()
    {
        QSet<QByteArray> thumbnails;
        const QStringList names{"Aurora", "Aurora ", "Tidal Drift"};
        for (const QString &name : names) {
            const QString path = m_dir.filePath(QStringLiteral("thumb-%1.kvc").arg(thumbnails.size()));
            QCOMPARE(kvscene({"create", path, "--name", name, "--type", "background"}).exitCode, 0);
            thumbnails.insert(entryData(path, QStringLiteral("thumbnail.jpg")));
        }
        QCOMPARE(thumbnails.size(), names.size());
    }

    void givenThumbnailIsStored()
    {
        QImage image(64, 32, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString png = m_dir.filePath(QStringLiteral("picture.png"));
        QVERIFY(image.save(png));
        const QString path = m_dir.filePath(QStringLiteral("given.kvc"));
        QCOMPARE(kvscene({"create", path, "--name", "Given", "--thumbnail", png}).exitCode, 0);
        const QImage stored = QImage::fromData(entryData(path, QStringLiteral("thumbnail.jpg")), "JPEG");
        QCOMPARE(stored.size(), QSize(64, 32));
    }

    void tagEditsKeepTheContent()
    {
        const QString path = m_dir.filePath(QStringLiteral("tags.kvc"));
        QCOMPARE(kvscene({"create", path, "--name", "Tags", "--tag", "Calm", "--content-size", "50000"}).exitCode, 0);
        const QList<RawEntry> content = withoutFirst(rawEntries(path), QStringLiteral("scene.json"));

        QCOMPARE(kvscene({"tag", "add", path, "Night"}).exitCode, 0);
        QCOMPARE(show(path).value("tags").toArray(), (QJsonArray{"Calm", "Night"}));
        QCOMPARE(kvscene({"tag", "remove", path, "Calm"}).exitCode, 0);
        QCOMPARE(show(path).value("tags").toArray(), (QJsonArray{"Night"}));
        QCOMPARE(withoutFirst(rawEntries(path), QStringLiteral("scene.json")), content);
    }

    void badRequestsFailClearly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        const QString scene = m_dir.filePath(QStringLiteral("existing.kvc"));
        const QString text = m_dir.filePath(QStringLiteral("text.kvc"));
        const QString fresh = m_dir.filePath(QStringLiteral("fresh.kvc"));
        QTest::addRow("no command") << QStringList() << 2;
        QTest::addRow("unknown command") << QStringList{"frobnicate"} << 2;
        QTest::addRow("create without name") << QStringList{"create", fresh} << 2;
        QTest::addRow("create without file") << QStringList{"create", "--name", "X"} << 2;
        QTest::addRow("unknown type") << QStringList{"create", fresh, "--name", "X", "--type", "sideways"} << 2;
        QTest::addRow("type and flags") << QStringList{"create", fresh, "--name", "X", "--type", "background", "--type-flags", "1"} << 2;
        QTest::addRow("flags not a number") << QStringList{"create", fresh, "--name", "X", "--type-flags", "many"} << 2;
        QTest::addRow("bad date") << QStringList{"create", fresh, "--name", "X", "--date", "2024-13-01T00:00:00"} << 2;
        QTest::addRow("negative content size") << QStringList{"create", fresh, "--name", "X", "--content-size", "-1"} << 2;
        QTest::addRow("unknown option") << QStringList{"create", fresh, "--name", "X", "--colour", "red"} << 2;
        QTest::addRow("existing file") << QStringList{"create", scene, "--name", "X"} << 1;
        QTest::addRow("unreadable thumbnail") << QStringList{"create", fresh, "--name", "X", "--thumbnail", text} << 1;
        QTest::addRow("show missing file") << QStringList{"show", m_dir.filePath(QStringLiteral("missing.kvc"))} << 1;
        QTest::addRow("show non-zip file") << QStringList{"show", text} << 1;
        QTest::addRow("tag on non-zip file") << QStringList{"tag", "add", text, "X"} << 1;
        QTest::addRow("unknown tag action") << QStringList{"tag", "rename", scene, "X"} << 2;
        QTest::addRow("tag without tag") << QStringList{"tag", "add", scene} << 2;
    }

    void badRequestsFailClearly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const QString scene = m_dir.filePath(QStringLiteral("existing.kvc"));
        if (!QFile::exists(scene))
            QCOMPARE(kvscene({"create", scene, "--name", "Existing"}).exitCode, 0);
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("text.kvc")), "not a scene"));
        const QByteArray before = readFile(scene);

        const Run run = kvscene(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains("kvscene: ") || run.err.startsWith("Usage"), run.err.constData());
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("fresh.kvc"))));
        QCOMPARE(readFile(scene), before);
    }

    void demoContentIsConsistent()
    {
        const QString scenesDir = m_appDir + QStringLiteral("/scenes");
        if (!QFileInfo(scenesDir).isDir())
            QSKIP("the demo content is not generated");
        QHash<QString, QString> pathById;
        QHash<QString, quint32> flagsById;
        QSet<QByteArray> thumbnails;
        QSet<int> types;
        bool inSubfolder = false;
        QDirIterator it(scenesDir, {QStringLiteral("*.kvc")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            CScene scene;
            QVERIFY2(scene.Load(path, true), qPrintable(path));
            QVERIFY(!scene.GetName().isEmpty() && !scene.GetAuthor().isEmpty());
            QVERIFY2(!pathById.contains(scene.GetId()), qPrintable(scene.GetId()));
            pathById.insert(scene.GetId(), QDir(m_appDir).relativeFilePath(path));
            flagsById.insert(scene.GetId(), scene.typeFlags);
            thumbnails.insert(entryData(path, QStringLiteral("thumbnail.jpg")));
            types.insert(int(scene.typeFlags & 0xF));
            inSubfolder = inSubfolder || QFileInfo(path).path() != scenesDir;
        }
        QVERIFY(pathById.size() >= 20);
        QCOMPARE(thumbnails.size(), pathById.size());
        QVERIFY(inSubfolder);
        for (int type : {0, 1, 2, 4, 8})
            QVERIFY2(types.contains(type), qPrintable(QString::number(type)));
        CScene background;
        QVERIFY(background.Load(scenesDir + QStringLiteral("/special/PostprocessingBackground.kvc"), false));
        QVERIFY(background.typeFlags & CScene::Hidden);

        // Every playlist entry names a demo scene by id, by its path relative
        // to the application directory, in the list of its type.
        const QStringList playlists = QDir(m_appDir + QStringLiteral("/playlists"))
                                          .entryList({QStringLiteral("*.kvp")}, QDir::Files);
        QVERIFY(playlists.contains(QStringLiteral("Default.kvp")));
        QVERIFY(playlists.size() >= 2);
        for (const QString &name : playlists) {
            CPlaylist playlist;
            QVERIFY(playlist.Load(m_appDir + QStringLiteral("/playlists/") + name));
            QVERIFY(playlist.totalScenes() > 0);
            const QList<QPair<QList<PlaylistEntry *>, quint32>> lists = {
                {playlist.backgroundEntries, 1}, {playlist.foregroundEntries, 2},
                {playlist.postprocessingEntries, 4}, {playlist.transitionEntries, 8},
                {playlist.standaloneEntries, 0}};
            for (const auto &list : lists) {
                for (const PlaylistEntry *entry : list.first) {
                    QVERIFY2(pathById.contains(entry->sceneId), qPrintable(entry->sceneId));
                    QCOMPARE(entry->scenePath, pathById.value(entry->sceneId));
                    QCOMPARE(quint32(entry->typeFlags), flagsById.value(entry->sceneId));
                    const quint32 flags = quint32(entry->typeFlags);
                    const quint32 listType = (flags & 1) ? 1 : (flags & 2) ? 2 : (flags & 4) ? 4 : (flags & 8) ? 8 : 0;
                    QCOMPARE(listType, list.second);
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_Kvscene)
#include "tst_kvscene.moc"
