#include "SceneImport.h"

#include "CAppTypeQt.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The import as a unit, with the desktop replaced by hooks: what the user is
// told, whether the player's window is searched, and what is copied where.
// The real executable is exercised the same way in tst_startupprocess.
class tst_SceneImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void copiesUnderTheBaseNameWithSceneSuffix_data();
    void copiesUnderTheBaseNameWithSceneSuffix();
    void secondImportKeepsTheFirstCopy();
    void missingPackageIsReportedAndNothingCopied();
    void openPlayerWindowEndsTheRunAfterTheCopy();

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
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

void tst_SceneImport::copiesUnderTheBaseNameWithSceneSuffix_data()
{
    QTest::addColumn<QString>("package");
    QTest::addColumn<QString>("copy");
    QTest::addRow("package suffix") << "night.sky.kvd" << "night.sky.kvc";
    QTest::addRow("other suffix") << "aurora.zip" << "aurora.kvc";
    QTest::addRow("already a scene") << "rain.kvc" << "rain.kvc";
    QTest::addRow("no suffix") << "storm" << "storm.kvc";
}

void tst_SceneImport::copiesUnderTheBaseNameWithSceneSuffix()
{
    QFETCH(QString, package);
    QFETCH(QString, copy);
    const QString path = writePackage(package, "package bytes, never inspected");

    QCOMPARE(importScenePackage(*m_app, path), ImportOutcome::Continue);

    QFile copied(importDir() + QLatin1Char('/') + copy);
    QVERIFY(copied.open(QIODevice::ReadOnly));
    QCOMPARE(copied.readAll(), QByteArray("package bytes, never inspected"));
    QCOMPARE(QDir(importDir()).entryList(QDir::Files | QDir::Hidden), QStringList{copy});
    QVERIFY(QFile::exists(path));
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_windowSearches, QStringList{QStringLiteral("KVClass")});
}

void tst_SceneImport::secondImportKeepsTheFirstCopy()
{
    importScenePackage(*m_app, writePackage(QStringLiteral("night.sky.kvd"), "first"));
    QCOMPARE(importScenePackage(*m_app, writePackage(QStringLiteral("night.sky.kvd"), "second")),
             ImportOutcome::Continue);

    QFile copied(importDir() + QStringLiteral("/night.sky.kvc"));
    QVERIFY(copied.open(QIODevice::ReadOnly));
    QCOMPARE(copied.readAll(), QByteArray("first"));
    QVERIFY(m_messages.isEmpty());
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

QTEST_GUILESS_MAIN(tst_SceneImport)
#include "tst_sceneimport.moc"
