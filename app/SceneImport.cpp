#include "SceneImport.h"

#include "CAppTypeQt.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString importedScenePath(const QString &importDir, const QString &packagePath)
{
    return importDir + QLatin1Char('/') + QFileInfo(packagePath).completeBaseName()
           + QStringLiteral(".kvc");
}

ImportOutcome importScenePackage(const CAppTypeQt &app, const QString &packagePath)
{
    if (!QFileInfo::exists(packagePath)) {
        Platform::showMessage(QStringLiteral("Kelvra"),
                              QStringLiteral("Unable to find the \"%1\" file to import").arg(packagePath));
        return ImportOutcome::EndRun;
    }

    const QString importDir = app.ResolvePath(CPath("[userpath]scenes/Imported")).toString();
    if (!QDir(importDir).exists())
        QDir().mkpath(importDir);
    // QFile::copy never overwrites: a second import of the same name keeps
    // the first copy, and that is not worth a message.
    QFile::copy(packagePath, importedScenePath(importDir, packagePath));

    if (Platform::bringWindowToFront(QStringLiteral("KVClass")))
        return ImportOutcome::EndRun;
    return ImportOutcome::Continue;
}
