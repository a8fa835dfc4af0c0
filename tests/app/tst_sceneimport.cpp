#include "SceneImport.h"

#include "CAppTypeQt.h"
#include "EngineTestSupport.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

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

QTEST_GUILESS_MAIN(tst_SceneImport)
#include "tst_sceneimport.moc"
