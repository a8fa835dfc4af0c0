// Files the program may not write, and a user directory that goes away while
// it runs: the program keeps running, its memory keeps the user's edits, and
// no file is damaged. The program runs as a child process; started by root,
// the child becomes the unprivileged user "nobody", because permissions do
// not bind root.

#include "HostileArchive.h"
#include "ReliabilityTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace Reliability;

namespace {

const char *const kHelper = KELVRA_SAVE_CHILD;

// Every file below dir, by relative path, with its content's hash.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        files.insert(QDir(dir).relativeFilePath(file),
                     QCryptographicHash::hash(readFile(file), QCryptographicHash::Sha256));
    }
    return files;
}

bool giveToNobody(const QString &dir)
{
    if (geteuid() != 0)
        return true;
    QStringList paths{dir};
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(it.next());
    for (const QString &path : paths) {
        if (::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
            return false;
    }
    return true;
}

bool makeReadOnly(const QString &dir)
{
    const QFileDevice::Permissions readable = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const QFileDevice::Permissions enterable = readable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    bool ok = QFile::setPermissions(dir, enterable);
    while (it.hasNext()) {
        const QString path = it.next();
        ok = QFile::setPermissions(path, it.fileInfo().isDir() ? enterable : readable) && ok;
    }
    return ok;
}

} // namespace

class tst_ReadOnly : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void officialScenesInAReadOnlyApplicationDirectory();
    void readOnlyPlaylistFile();
    void userDirectoryGoesAway_data();
    void userDirectoryGoesAway();

private:
    QString runSession(const QString &what);

    QScopedPointer<QTemporaryDir> m_root;
    QString m_app;
    QString m_user;
};

void tst_ReadOnly::init()
{
    m_root.reset(new QTemporaryDir);
    QVERIFY(m_root->isValid());
    // The unprivileged child must be able to walk down to its directories.
    QVERIFY(QFile::setPermissions(m_root->path(), QFileDevice::Permissions(0x7755)));
    m_app = m_root->filePath(QStringLiteral("app"));
    // The user's data directory lies in a home the child may change, so that
    // it can remove the directory or put a file in its place.
    m_user = m_root->filePath(QStringLiteral("home/user"));
    for (const QString &dir : {m_app + QStringLiteral("/scenes"), m_app + QStringLiteral("/playlists"),
                               m_user + QStringLiteral("/scenes"), m_user + QStringLiteral("/playlists")})
        QVERIFY(QDir().mkpath(dir));
    QVERIFY(writeFile(m_app + QStringLiteral("/scenes/official.kvc"),
                      hostileArchive({{"scene.json", sceneJson(QStringLiteral("Official"))}, {"content.txt", "official"}})));
    QVERIFY(writeFile(m_app + QStringLiteral("/playlists/Default.kvp"), "{\"standalone\": []}"));
    QVERIFY(writeFile(m_user + QStringLiteral("/scenes/mine.kvc"),
                      hostileArchive({{"scene.json", sceneJson(QStringLiteral("Mine"))}, {"content.txt", "mine"}})));
    const QString list = m_user + QStringLiteral("/playlists/Mine.kvp");
    QVERIFY(createPlaylist(list, 4));
    QVERIFY(writeFile(m_user + QStringLiteral("/config.json"),
                      QStringLiteral("{\"playlistToRun\": \"%1\", \"playerWindow\": 1}").arg(list).toUtf8()));
    QVERIFY(giveToNobody(m_root->filePath(QStringLiteral("home"))));
}

void tst_ReadOnly::cleanup()
{
    // Read-only folders would keep QTemporaryDir from removing the tree.
    if (m_root) {
        QDirIterator it(m_root->path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            QFile::setPermissions(it.next(), QFileDevice::Permissions(0x7700));
    }
    m_root.reset();
}

QString tst_ReadOnly::runSession(const QString &what)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KELVRA_APP_DIR"), m_app);
    environment.insert(QStringLiteral("KELVRA_USER_DIR"), m_user);
    child.setProcessEnvironment(environment);
    child.start(QString::fromLocal8Bit(kHelper), {QStringLiteral("session"), what});
    if (!child.waitForFinished(120000))
        return QStringLiteral("no end");
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return QStringLiteral("exit %1: %2").arg(child.exitCode()).arg(QString::fromLocal8Bit(child.readAllStandardError()));
    return output;
}

void tst_ReadOnly::officialScenesInAReadOnlyApplicationDirectory()
{
    QVERIFY(makeReadOnly(m_app));
    const auto before = snapshot(m_app);
    const QString output = runSession(QStringLiteral("official"));
    QVERIFY2(output.endsWith(QLatin1String("alive\n")), qPrintable(output));
    // The edit is refused: the official scene shows its file, which is as it was.
    QVERIFY2(output.contains(QLatin1String("Official: Calm\n")), qPrintable(output));
    QCOMPARE(snapshot(m_app), before);
    // The user's own scene took the same edit.
    CScene mine;
    QVERIFY(mine.Load(m_user + QStringLiteral("/scenes/mine.kvc"), true));
    QCOMPARE(mine.tagList, (QStringList{QStringLiteral("Calm"), QStringLiteral("edited")}));
}

void tst_ReadOnly::readOnlyPlaylistFile()
{
    const QString list = m_user + QStringLiteral("/playlists/Mine.kvp");
    QVERIFY(QFile::setPermissions(list, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const QByteArray before = readFile(list);
    const auto app = snapshot(m_app);
    const QString output = runSession(QStringLiteral("playlist"));
    QVERIFY2(output.endsWith(QLatin1String("alive\n")), qPrintable(output));
    QCOMPARE(readFile(list), before);
    QCOMPARE(snapshot(m_app), app);
    // The configuration was still saved, whole.
    CCfg config;
    QVERIFY(config.Load(m_user + QStringLiteral("/config.json")));
    QCOMPARE(config.playlistToRun, list);
    QVERIFY(readFile(m_user + QStringLiteral("/config.json")).contains("playerWindow"));

    // The same session does write the playlist once it may.
    QVERIFY(QFile::setPermissions(list, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    QVERIFY(runSession(QStringLiteral("playlist")).endsWith(QLatin1String("alive\n")));
    QVERIFY(readFile(list) != before);
}

void tst_ReadOnly::userDirectoryGoesAway_data()
{
    QTest::addColumn<QString>("what");
    QTest::addRow("removed") << QStringLiteral("vanish");
    QTest::addRow("replaced by a regular file") << QStringLiteral("replaced");
}

void tst_ReadOnly::userDirectoryGoesAway()
{
    QFETCH(QString, what);
    const auto app = snapshot(m_app);
    const QString output = runSession(what);
    QVERIFY2(output.endsWith(QLatin1String("alive\n")), qPrintable(output));
    // With its file gone, the scene cannot take the edit and shows no change.
    QVERIFY2(output.contains(QLatin1String("Mine: Calm\n")), qPrintable(output));
    QCOMPARE(snapshot(m_app), app);
    if (what == QLatin1String("replaced"))
        QCOMPARE(readFile(m_user), QByteArray("not a directory\n"));
}

QTEST_GUILESS_MAIN(tst_ReadOnly)
#include "tst_readonly.moc"
