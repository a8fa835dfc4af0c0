#include "SceneImport.h"

#include "CAppTypeQt.h"
#include "EngineTestSupport.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <sys/types.h>

// The import as a unit, with the desktop replaced by hooks: the exact message
// and the player's window being found, which the process test cannot stage.
// Names and copies are checked on the real program in tst_startupprocess.
class tst_SceneImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void missingPackageIsReportedAndNothingCopied();
    void openPlayerWindowEndsTheRunAfterTheCopy();
    void onlyRegularFilesAreImported_data();
    void onlyRegularFilesAreImported();
    void copyHasTheUsersPermissions();
    void oversizedPackageIsRefused();

private:
    QString writePackage(const QString &name, const QByteArray &content);
    QString importDir() const { return m_user->filePath(QStringLiteral("scenes/Imported")); }

    std::unique_ptr<QTemporaryDir> m_user;
    std::unique_ptr<QTemporaryDir> m_source;
    std::unique_ptr<CAppTypeQt> m_app;
    QStringList m_messages;
    QStringList m_windowSearches;
    bool m_windowOpen = false;
};

void tst_SceneImport::init()
{
    m_user.reset(new QTemporaryDir);
    m_source.reset(new QTemporaryDir);
    qputenv("KELVRA_USER_DIR", m_user->path().toLocal8Bit());
    qputenv("KELVRA_APP_DIR", m_source->path().toLocal8Bit());
    m_app.reset(new CAppTypeQt(nullptr, QString()));
    m_messages.clear();
    m_windowSearches.clear();
    m_windowOpen = false;
    Platform::setMessageHook([this](const QString &title, const QString &text) {
        m_messages << title + QStringLiteral(" | ") + text;
    });
    Platform::setWindowHook([this](const QString &windowClass) {
        m_windowSearches << windowClass;
        return m_windowOpen;
    });
}

void tst_SceneImport::cleanup()
{
    Platform::setMessageHook({});
    Platform::setWindowHook({});
    m_app.reset();
}

QString tst_SceneImport::writePackage(const QString &name, const QByteArray &content)
{
    const QString path = m_source->filePath(name);
    EngineTest::writeFile(path, content);
    return path;
}

void tst_SceneImport::missingPackageIsReportedAndNothingCopied()
{
    const QString typed = QStringLiteral("./not here/night.sky.kvd");
    QCOMPARE(importScenePackage(*m_app, typed), ImportOutcome::EndRun);

    QCOMPARE(m_messages,
             QStringList{QStringLiteral("Kelvra | Unable to find the \"./not here/night.sky.kvd\" file to import")});
    QVERIFY(!QFileInfo::exists(importDir()));
    QVERIFY(m_windowSearches.isEmpty());
}

void tst_SceneImport::openPlayerWindowEndsTheRunAfterTheCopy()
{
    m_windowOpen = true;
    QCOMPARE(importScenePackage(*m_app, writePackage(QStringLiteral("night.sky.kvd"), "scene")),
             ImportOutcome::EndRun);
    QVERIFY(QFile::exists(importDir() + QStringLiteral("/night.sky.kvc")));
    QCOMPARE(m_windowSearches, QStringList{QStringLiteral("KVClass")});
    QVERIFY(m_messages.isEmpty());
}

void tst_SceneImport::onlyRegularFilesAreImported_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addRow("named pipe") << "fifo";
    QTest::addRow("device") << "device";
    QTest::addRow("directory") << "directory";
}

// A pipe with no writer would block the open for ever, a device would be
// read without end or copied as an empty scene.
void tst_SceneImport::onlyRegularFilesAreImported()
{
    QFETCH(QString, kind);
    QString path = QStringLiteral("/dev/zero");
    if (kind == QLatin1String("fifo")) {
        path = m_source->filePath(QStringLiteral("pipe.kvd"));
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("directory")) {
        path = m_source->filePath(QStringLiteral("folder.kvd"));
        QVERIFY(QDir().mkpath(path));
    }

    QCOMPARE(importScenePackage(*m_app, path), ImportOutcome::EndRun);
    QCOMPARE(m_messages, QStringList{QStringLiteral("Kelvra | \"%1\" is not a regular file and cannot be imported")
                                         .arg(path)});
    QVERIFY(QDir(importDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(m_windowSearches.isEmpty());
}

void tst_SceneImport::copyHasTheUsersPermissions()
{
    const QString package = writePackage(QStringLiteral("night.sky.kvd"), "scene");
    QVERIFY(QFile::setPermissions(package, QFileDevice::Permissions(0x7777)));  // everyone, everything
    const mode_t previous = umask(027);
    const CopyOutcome outcome = copyScenePackage(*m_app, package);
    umask(previous);

    QCOMPARE(outcome, CopyOutcome::Copied);
    const QString copy = importDir() + QStringLiteral("/night.sky.kvc");
    QCOMPARE(EngineTest::readFile(copy), QByteArray("scene"));
    QCOMPARE(QFile::permissions(copy), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                           | QFileDevice::WriteUser | QFileDevice::ReadGroup);
    // Nothing else is left in the folder the scene scan reads.
    QCOMPARE(QDir(importDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("night.sky.kvc")});
}

void tst_SceneImport::oversizedPackageIsRefused()
{
    QFile package(m_source->filePath(QStringLiteral("huge.kvd")));
    QVERIFY(package.open(QIODevice::WriteOnly));
    QVERIFY(package.resize(maxPackageBytes + 1));  // sparse: costs no disk
    package.close();

    QCOMPARE(importScenePackage(*m_app, package.fileName()), ImportOutcome::EndRun);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(QStringLiteral("is larger than 1024 MB")), qPrintable(m_messages.first()));
    QVERIFY(!QFileInfo::exists(importDir() + QStringLiteral("/huge.kvc")));
}

QTEST_GUILESS_MAIN(tst_SceneImport)
#include "tst_sceneimport.moc"
