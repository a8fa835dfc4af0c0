#include "EngineTestSupport.h"

#include <CPlaylist.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace EngineTest;

namespace {

PlaylistEntry *entry(const QString &id, const QString &path, int flags)
{
    auto *e = new PlaylistEntry;
    e->sceneId = id;
    e->scenePath = path;
    e->typeFlags = flags;
    return e;
}

QStringList describe(const QList<PlaylistEntry *> &list)
{
    QStringList lines;
    for (const PlaylistEntry *e : list)
        lines << QStringLiteral("%1|%2|%3").arg(e->sceneId, e->scenePath).arg(e->typeFlags);
    return lines;
}

} // namespace

class tst_PlaylistFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("list-%1.kvp").arg(m_counter++));
    }

    void entriesReadBackIntoTheirLists()
    {
        CPlaylist playlist;
        playlist.backgroundEntries << entry("kv.a", "/scenes/a.kvc", 1) << entry("", "/scenes/b.kvc", 3);
        playlist.foregroundEntries << entry("kv.c", "C:/Users/Ünïcode/scenes/c.kvc", 2);
        playlist.postprocessingEntries << entry("kv.d", "/d.kvc", 4);
        playlist.transitionEntries << entry("kv.e", "/e.kvc", 8);
        playlist.standaloneEntries << entry("kv.f", "/f.kvc", 0) << entry("kv.g", "/g.kvc", int(0x80000000u));
        QCOMPARE(playlist.totalScenes(), 7);
        QVERIFY(playlist.Save(m_path));

        CPlaylist loaded;
        QVERIFY(loaded.Load(m_path));
        QCOMPARE(loaded.totalScenes(), 7);
        QCOMPARE(describe(loaded.backgroundEntries), describe(playlist.backgroundEntries));
        QCOMPARE(describe(loaded.foregroundEntries), describe(playlist.foregroundEntries));
        QCOMPARE(describe(loaded.postprocessingEntries), describe(playlist.postprocessingEntries));
        QCOMPARE(describe(loaded.transitionEntries), describe(playlist.transitionEntries));
        QCOMPARE(describe(loaded.standaloneEntries), describe(playlist.standaloneEntries));

        // A second load replaces, never adds.
        QVERIFY(loaded.Load(m_path));
        QCOMPARE(loaded.totalScenes(), 7);
    }

    void unparsableFilesAreSetAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("empty file") << QByteArray();
        QTest::addRow("not JSON") << QByteArray("background = a.kvc");
        QTest::addRow("truncated JSON") << QByteArray("{\"background\": [{\"id\": \"a\"");
        QTest::addRow("trailing comma")
            << QByteArray("{\"standalone\": [{\"path\": \"/a.kvc\"}, {\"path\": \"/b.kvc\"},]}");
        QTest::addRow("an array") << QByteArray("[]");
        QTest::addRow("list not an array") << QByteArray("{\"background\": {\"id\": \"a\", \"path\": \"a\"}}");
        QTest::addRow("nested deeper than 1000") << "{\"x\": " + QByteArray(1000, '[') + QByteArray(1000, ']') + "}";
        QTest::addRow("larger than 16 MiB")
            << QByteArray("{\"x\": \"") + QByteArray(17 * 1024 * 1024, 'a') + QByteArray("\"}");
    }

    // Such a file loads empty; the next save must not write that over it.
    void unparsableFilesAreSetAside()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(m_path, bytes));
        CPlaylist playlist;
        playlist.standaloneEntries << entry("old", "/old.kvc", 0);
        QVERIFY(!playlist.Load(m_path));
        QCOMPARE(playlist.totalScenes(), 0);
        const QString aside = playlist.SetAsidePath();
        QVERIFY(aside.startsWith(m_path + QStringLiteral(".corrupt-")));
        QVERIFY(!QFile::exists(m_path));
        QCOMPARE(readFile(aside), bytes);

        playlist.standaloneEntries << entry("kv.new", "/new.kvc", 0);
        QVERIFY(playlist.Save(m_path));
        QVERIFY(playlist.Load(m_path));
        QVERIFY(playlist.SetAsidePath().isEmpty());
        QCOMPARE(readFile(aside), bytes);
    }

    void missingFileOrDirectory()
    {
        CPlaylist playlist;
        QVERIFY(!playlist.Load(m_dir.filePath(QStringLiteral("missing.kvp"))));
        QVERIFY(!playlist.Load(m_dir.path()));
        QCOMPARE(playlist.totalScenes(), 0);
        QVERIFY(playlist.SetAsidePath().isEmpty());
        QVERIFY(QFileInfo(m_dir.path()).isDir());
    }

    void malformedEntriesAreLeftOutAndTheRestKept()
    {
        const QJsonObject file{
            {"background", QJsonArray{
                QJsonObject{{"id", "kv.good"}, {"path", "/good.kvc"}, {"typeFlags", 1}},
                QJsonObject{{"id", 5}, {"path", "/bad-id.kvc"}},
                QJsonObject{{"id", "kv.nopath"}},
                QJsonObject{{"path", "/flags.kvc"}, {"typeFlags", "1"}},
                QJsonObject{{"path", "/fraction.kvc"}, {"typeFlags", 1.5}},
                "not an object",
                QJsonObject{{"path", "/no-id-is-fine.kvc"}},
            }},
        };
        QVERIFY(writeFile(m_path, QJsonDocument(file).toJson()));
        CPlaylist playlist;
        QVERIFY(!playlist.Load(m_path));
        QCOMPARE(describe(playlist.backgroundEntries),
                 QStringList({"kv.good|/good.kvc|1", "|/no-id-is-fine.kvc|0"}));
    }

    void unknownKeysAreWrittenBack()
    {
        const QJsonObject file{
            {"version", 3},
            {"sessionId", "placeholder"},
            {"shuffle", QJsonObject{{"seed", 42}}},
            {"standalone", QJsonArray{QJsonObject{{"id", "kv.a"}, {"path", "/a.kvc"}, {"typeFlags", 0}}}},
        };
        // Qt holds numbers as doubles: a 64-bit identifier must not come back rounded.
        QVERIFY(writeFile(m_path, QJsonDocument(file).toJson().replace("\"placeholder\"", "9007199254740993")));
        CPlaylist playlist;
        QVERIFY(playlist.Load(m_path));
        playlist.standaloneEntries << entry("kv.b", "/b.kvc", 0);
        QVERIFY(playlist.Save(m_path));
        const QJsonObject saved = QJsonDocument::fromJson(readFile(m_path)).object();
        QCOMPARE(saved.value("version"), QJsonValue(3));
        QCOMPARE(saved.value("shuffle"), file.value("shuffle"));
        QCOMPARE(saved.value("standalone").toArray().size(), 2);
        QVERIFY(readFile(m_path).contains("\"sessionId\":9007199254740993"));
    }

    // Everything Save writes, Load takes back.
    void saveBeyondWhatLoadTakesKeepsTheOldFile()
    {
        CPlaylist playlist;
        playlist.standaloneEntries << entry("kv.a", "/a.kvc", 0);
        QVERIFY(playlist.Save(m_path));
        const QByteArray before = readFile(m_path);
        const QString longPath = QStringLiteral("/scenes/") + QString(64 * 1024, QLatin1Char('x'));
        for (int i = 0; i < 300; ++i)
            playlist.backgroundEntries << entry(QStringLiteral("kv.%1").arg(i), longPath, 1);
        QVERIFY(!playlist.Save(m_path));
        QCOMPARE(readFile(m_path), before);
    }

    void failedWriteKeepsTheOldFile()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no way to make writes fail here");
        CPlaylist playlist;
        playlist.standaloneEntries << entry("kv.a", "/a.kvc", 0);
        QVERIFY(playlist.Save(m_path));
        const QByteArray before = readFile(m_path);
        for (int i = 0; i < 200; ++i)
            playlist.backgroundEntries << entry(QStringLiteral("kv.%1").arg(i), QStringLiteral("/scenes/%1.kvc").arg(i), 1);
        {
            FileSizeLimit diskFull(1024);
            QVERIFY(!playlist.Save(m_path));
        }
        QCOMPARE(readFile(m_path), before);
        QVERIFY(!playlist.Save(m_dir.filePath(QStringLiteral("missing/dir/list.kvp"))));
    }

    void readOnlyDirectoryKeepsTheOldFile()
    {
#ifdef Q_OS_UNIX
        if (::geteuid() == 0)
            QSKIP("root writes into read-only directories");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.kvp"));
        CPlaylist playlist;
        QVERIFY(playlist.Save(path));
        const QByteArray before = readFile(path);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        playlist.standaloneEntries << entry("kv.a", "/a.kvc", 0);
        const bool saved = playlist.Save(path);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QCOMPARE(readFile(path), before);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_PlaylistFile)
#include "tst_playlistfile.moc"
