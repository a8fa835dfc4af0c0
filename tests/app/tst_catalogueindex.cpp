// The catalogue built through the index is the catalogue a full read of the
// scene files builds, whatever happened to the files or to the index file.

#include "CatalogueBuilder.h"
#include "CatalogueIndex.h"
#include "CatalogueIndexRecord.h"
#include "SharedStrings.h"
#include "CScene.h"
#include "CSceneViewModel.h"
#include "ZipTestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// Everything a view model's scene holds that the catalogue or a later save
// uses, file identity included; a scene that did not load as such.
QString describe(const CSceneViewModel &model)
{
    SceneMetadata m;
    FileIdentity id;
    QString text = model.filepath() + (model.official() ? QLatin1String(" official ") : QLatin1String(" user "));
    if (!model.scene().LoadedMetadata(&m, &id))
        return text + QLatin1String("unread: ") + model.scene().LastError();
    QStringList unknown;
    for (auto it = m.unknownKeys.constBegin(); it != m.unknownKeys.constEnd(); ++it)
        unknown << it.key() + QLatin1Char('=') + QString::fromUtf8(it.value());
    return text + QStringList{m.id, m.name, m.author, m.description, m.license, m.tags.join(QLatin1Char(',')),
                              QString::number(m.typeFlags), QString::number(m.relicensing),
                              QString::number(m.tagsTruncated), unknown.join(QLatin1Char(',')),
                              QString::asprintf("%d-%d-%d %d:%d:%d", m.date.year, m.date.month, m.date.day,
                                                m.date.hour, m.date.minute, m.date.second),
                              QString::asprintf("%llu/%llu/%lld/%lld/%lld", id.device, id.inode, id.size,
                                                id.modifiedNs, id.changedNs)}
                      .join(QLatin1Char('|'));
}

// Waits until a file changed now gets a change time after `after`: the
// clock the file system stamps with moves in ticks.
void waitForNextTick(const QString &probe, qint64 after)
{
    while (EngineTest::writeFile(probe, "x") && FileIdentity::ofPath(probe).changedNs <= after) {}
}

} // namespace

class tst_CatalogueIndex : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void matchesFullScan_data();
    void matchesFullScan();
    void untrustedIndexFile_data();
    void untrustedIndexFile();
    void damagedRecordsAreRefused();

private:
    QScopedPointer<QTemporaryDir> m_root;
    QString m_user, m_app, m_index;
    int m_next = 0;

    QString userScene(int n) const { return m_user + QStringLiteral("/pack%1/s%2.kvc").arg(n % 3).arg(n, 4, 10, QLatin1Char('0')); }
    QHash<QString, quint32> m_seeds;   // what each scene file was written from

    QString writeScene(const QString &path, quint32 seed, const QString &name = QString());
    QStringList scan(CatalogueIndex *index) const;
    void populate(QRandomGenerator &rng, int count);
};

void tst_CatalogueIndex::init()
{
    m_root.reset(new QTemporaryDir);
    QVERIFY(m_root->isValid());
    QVERIFY(QFile::setPermissions(m_root->path(), QFileDevice::Permissions(0x7755)));
    m_user = m_root->filePath(QStringLiteral("user/scenes"));
    m_app = m_root->filePath(QStringLiteral("app/scenes"));
    m_index = m_root->filePath(QStringLiteral("user/catalogue-index.sqlite"));
    m_next = 0;
    m_seeds.clear();
}

// Stored, not deflated: a rewrite with a name of the same length keeps the size.
QString tst_CatalogueIndex::writeScene(const QString &path, quint32 seed, const QString &name)
{
    m_seeds.insert(path, seed);
    QRandomGenerator rng(seed);
    static const char *const tags[] = {"Abstract", "Colorful", "Dark", "Calm", "Fast"};
    QStringList sceneTags;
    for (int i = rng.bounded(4); i > 0; --i)
        sceneTags << QString::fromLatin1(tags[rng.bounded(5)]);
    if (rng.bounded(10) == 0)
        for (int i = 0; i < 300; ++i)   // more than a scene may carry: read back cut
            sceneTags << QStringLiteral("t%1").arg(i);
    static const quint32 flags[] = {0, 1, 2, 4, 8, 0x800, 0x802};
    const int number = rng.bounded(100000);
    const QString text = QStringLiteral(
        R"({"id":"id%1","name":"%2","author":"A%3","description":"d","license":"CC BY 4.0",)"
        R"("tags":["%4"],"typeFlags":%5,"relicensing":%6,"date":"20%7-0%8-1%9T10:20:30"%10})")
        .arg(rng.bounded(1000)).arg(name.isEmpty() ? QStringLiteral("Scene %1").arg(number, 5, 10, QLatin1Char('0')) : name)
        .arg(rng.bounded(10)).arg(sceneTags.join(QStringLiteral("\",\""))).arg(flags[rng.bounded(7)])
        .arg(rng.bounded(2) ? QStringLiteral("true") : QStringLiteral("false")).arg(rng.bounded(10, 26))
        .arg(rng.bounded(1, 10)).arg(rng.bounded(10))
        .arg(rng.bounded(4) == 0 ? QStringLiteral(",\"x-big\":12345678901234567890") : QString());
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray archive = rng.bounded(15) == 0 ? QByteArray("not an archive")
        : EngineTest::makeArchive({{QStringLiteral("scene.json"), text.toUtf8(), 0}, {QStringLiteral("thumbnail.jpg"), "j"}});
    return EngineTest::writeFile(path, archive) ? path : QString();
}

QStringList tst_CatalogueIndex::scan(CatalogueIndex *index) const
{
    const QList<CSceneViewModel *> scenes = Catalogue::buildSceneList(m_user, m_app, index);
    QStringList lines;
    for (const CSceneViewModel *scene : scenes) {
        // Whether the interface marks the scene damaged must not depend on
        // where its metadata came from: a scene read on its own is the
        // reference.
        const CSceneViewModel alone(scene->filepath(), scene->official());
        lines << describe(*scene)
                + (scene->readable() == alone.readable() && scene->loadError() == alone.loadError()
                       ? QString()
                       : QStringLiteral(" marked %1 alone, %2 here").arg(alone.readable()).arg(scene->readable()))
                // Made on the thread pool, each must live on the list's thread.
                + (scene->thread() == QThread::currentThread() ? QString() : QStringLiteral(" on a pool thread"));
    }
    qDeleteAll(scenes);
    return lines;
}

void tst_CatalogueIndex::populate(QRandomGenerator &rng, int count)
{
    for (int i = 0; i < count; ++i, ++m_next) {
        const QString path = i % 4 == 3 ? m_app + QStringLiteral("/official/o%1.kvc").arg(m_next) : userScene(m_next);
        QVERIFY(!writeScene(path, rng.generate()).isEmpty());
    }
}

void tst_CatalogueIndex::matchesFullScan_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<quint32>("seed");
    for (const char *change : {"add", "remove", "rewrite", "rewrite in place", "rename", "all"}) {
        QTest::addRow("%s", change) << QString::fromLatin1(change) << quint32(7);
        QTest::addRow("%s, other seed", change) << QString::fromLatin1(change) << quint32(1234);
    }
}

void tst_CatalogueIndex::matchesFullScan()
{
    QFETCH(QString, change);
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    populate(rng, 40);
    {
        CatalogueIndex first(m_index, 0);
        const QStringList full = scan(nullptr);
        QVERIFY2(!full.join(QLatin1Char('\n')).contains(QLatin1String(" alone, ")), qPrintable(full.join('\n')));
        QVERIFY(!full.join(QLatin1Char('\n')).contains(QLatin1String(" on a pool thread")));
        QCOMPARE(scan(&first), full);
        QCOMPARE(first.state(), CatalogueIndex::State::Usable);
    }
    const bool all = change == QLatin1String("all");
    int inPlace = 0;
    for (int round = 0; round < 3; ++round) {
        QStringList files;
        for (const QString &dir : {m_user, m_app})
            for (QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
                files << it.next();
        files.sort();
        const QString some = files.at(rng.bounded(files.size()));
        if (all || change == QLatin1String("add"))
            populate(rng, 3);
        if (all || change == QLatin1String("remove"))
            QVERIFY(QFile::remove(some));
        if (all || change == QLatin1String("rename")) {
            const QString other = files.at(rng.bounded(files.size()));
            if (QFile::exists(other))
                QVERIFY(QFile::rename(other, m_user + QStringLiteral("/moved%1-%2.kvc").arg(round).arg(rng.bounded(99))));
        }
        if (all || change.startsWith(QLatin1String("rewrite"))) {
            const QString target = files.at(rng.bounded(files.size()));
            if (!QFile::exists(target))
                continue;
            const FileIdentity before = FileIdentity::ofPath(target);
            struct stat status;
            QCOMPARE(::stat(QFile::encodeName(target).constData(), &status), 0);
            if (change == QLatin1String("rewrite")) {
                const QString fresh = writeScene(target + QStringLiteral(".new"), rng.generate());
                QVERIFY(QFile::remove(target) && QFile::rename(fresh, target));
            } else {
                // Same inode, same size, the old modification time put back:
                // only the change time tells.
                waitForNextTick(m_root->filePath(QStringLiteral("tick")), before.changedNs);
                const QString name = QStringLiteral("Other %1").arg(rng.bounded(100000), 5, 10, QLatin1Char('0'));
                QVERIFY(!writeScene(target, m_seeds.value(target, rng.generate()), name).isEmpty());
                const timespec times[2] = {status.st_atim, status.st_mtim};
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(target).constData(), times, 0), 0);
                const FileIdentity after = FileIdentity::ofPath(target);
                if (after.size != before.size)
                    continue;   // the garbage stand-in was rewritten as a scene
                QVERIFY(after.sameAs(before));
                QVERIFY(after.changedNs != before.changedNs);
                ++inPlace;
            }
        }
        CatalogueIndex index(m_index, 0);
        QCOMPARE(scan(&index), scan(nullptr));
        QVERIFY(index.restored() > 0);
    }
    QVERIFY(inPlace > 0 || change != QLatin1String("rewrite in place"));
}

void tst_CatalogueIndex::untrustedIndexFile_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("rebuilt");   // else the file is left exactly as it was
    QTest::newRow("deleted") << "deleted" << true;
    QTest::newRow("garbage") << "garbage" << true;
    QTest::newRow("cut short") << "cut short" << true;
    QTest::newRow("wrong table") << "wrong table" << true;
    QTest::newRow("older version") << "older version" << true;
    QTest::newRow("newer version") << "newer version" << false;
    QTest::newRow("another program's") << "another program's" << false;
    QTest::newRow("locked") << "locked" << false;
    QTest::newRow("read-only file") << "read-only file" << false;
    QTest::newRow("read-only directory") << "read-only directory" << false;
}

void tst_CatalogueIndex::untrustedIndexFile()
{
    QFETCH(QString, damage);
    QFETCH(bool, rebuilt);
    QRandomGenerator rng(99);
    populate(rng, 12);
    {
        CatalogueIndex index(m_index, 0);
        scan(&index);
    }
    // Every entry now tells a lie, with the identity of its file: a catalogue
    // that shows "Poisoned" trusted the index. A read-only index is sound and
    // may be read; it only cannot learn the scene changed below.
    const bool readOnly = damage.startsWith(QLatin1String("read-only"));
    QVERIFY(!writeScene(userScene(1) + QStringLiteral(".new"), rng.generate()).isEmpty());
    QVERIFY(QFile::remove(userScene(1)) && QFile::rename(userScene(1) + QStringLiteral(".new"), userScene(1)));
    if (!readOnly) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
        db.setDatabaseName(m_index);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("SELECT path FROM scenes")));
        QStringList paths;
        while (query.next())
            paths << query.value(0).toString();
        for (const QString &path : paths) {
            SceneMetadata poison;
            poison.name = QStringLiteral("Poisoned");
            QVERIFY(query.prepare(QStringLiteral("UPDATE scenes SET entry = ? WHERE path = ?")));
            query.addBindValue(CatalogueIndexRecord::encode(FileIdentity::ofPath(path), poison));
            query.addBindValue(path);
            QVERIFY(query.exec());
        }
        const char *change = damage == QLatin1String("wrong table") ? "ALTER TABLE scenes RENAME TO other"
            : damage == QLatin1String("older version") ? "PRAGMA user_version = 0"
            : damage == QLatin1String("newer version") ? "PRAGMA user_version = 2"
            : damage == QLatin1String("another program's") ? "PRAGMA application_id = 42" : "SELECT 1";
        QVERIFY(query.exec(QLatin1String(change)));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test"));

    const QByteArray original = EngineTest::readFile(m_index);
    if (damage == QLatin1String("deleted"))
        QVERIFY(QFile::remove(m_index));
    if (damage == QLatin1String("garbage"))
        QVERIFY(EngineTest::writeFile(m_index, EngineTest::randomBytes(original.size(), 5)));
    if (damage == QLatin1String("cut short"))
        QVERIFY(EngineTest::writeFile(m_index, original.left(original.size() / 2)));
    QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    locker.setDatabaseName(m_index);
    if (damage == QLatin1String("locked"))
        QVERIFY(locker.open() && QSqlQuery(locker).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    // Permissions do not bind root: this thread then acts as nobody on files.
    const QString directory = QFileInfo(m_index).absolutePath();
    if (readOnly) {
        if (geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(m_index).constData(), kNobody, kNobody) == 0
                    && ::chown(QFile::encodeName(directory).constData(), kNobody, kNobody) == 0);
        QVERIFY(QFile::setPermissions(damage.endsWith(QLatin1String("file")) ? m_index : directory,
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther));
        if (geteuid() == 0)
            setfsuid(kNobody);
    }
    const QByteArray before = EngineTest::readFile(m_index);
    {
        CatalogueIndex index(m_index, 0);
        const QStringList indexed = scan(&index);
        setfsuid(geteuid());
        QCOMPARE(indexed, scan(nullptr));
        QVERIFY(!indexed.join(QString()).contains(QLatin1String("Poisoned")));
    }
    if (!rebuilt)
        QCOMPARE(EngineTest::readFile(m_index), before);
    locker.close();
    locker = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    if (rebuilt) {
        CatalogueIndex next(m_index, 0);
        QCOMPARE(scan(&next), scan(nullptr));
        QVERIFY(next.restored() > 0);
    }
}

void tst_CatalogueIndex::damagedRecordsAreRefused()
{
    SceneMetadata metadata;
    metadata.name = QStringLiteral("Scene");
    metadata.tags = QStringList{QStringLiteral("Calm"), QStringLiteral("Dark")};
    metadata.unknownKeys.insert(QStringLiteral("x-big"), "12345678901234567890");
    FileIdentity identity = FileIdentity::ofPath(QCoreApplication::applicationFilePath());
    const QByteArray record = CatalogueIndexRecord::encode(identity, metadata);
    FileIdentity readIdentity;
    SceneMetadata read;
    QVERIFY(CatalogueIndexRecord::decode(record, &readIdentity, &read));
    QVERIFY(readIdentity.untouchedSince(identity));
    QCOMPARE(read.tags, metadata.tags);
    QCOMPARE(read.unknownKeys, metadata.unknownKeys);
    // Decoded through a pool, two records share their repeated texts.
    SharedStrings strings;
    SceneMetadata first, second;
    QVERIFY(CatalogueIndexRecord::decode(record, &readIdentity, &first, &strings));
    QVERIFY(CatalogueIndexRecord::decode(record, &readIdentity, &second, &strings));
    QCOMPARE(second.tags, metadata.tags);
    QCOMPARE(second.name, metadata.name);
    QCOMPARE(second.tags.at(1).constData(), first.tags.at(1).constData());
    for (int size = 0; size < record.size(); ++size)
        QVERIFY2(!CatalogueIndexRecord::decode(record.left(size), &readIdentity, &read), qPrintable(QString::number(size)));
    QVERIFY(!CatalogueIndexRecord::decode(record + 'x', &readIdentity, &read));
    // Unknown keys go back into scene files: never what their reader refuses.
    SceneMetadata bad = metadata;
    bad.unknownKeys.insert(QStringLiteral("x-bad"), "{not json");
    QVERIFY(!CatalogueIndexRecord::decode(CatalogueIndexRecord::encode(identity, bad), &readIdentity, &read));
    bad = metadata;
    for (int i = 0; i <= SceneMetadataSchema::kMaxTags; ++i)
        bad.tags << QStringLiteral("t");
    QVERIFY(!CatalogueIndexRecord::decode(CatalogueIndexRecord::encode(identity, bad), &readIdentity, &read));
}

QTEST_GUILESS_MAIN(tst_CatalogueIndex)
#include "tst_catalogueindex.moc"
