#include "SceneImporter.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CLog.h"

#include <QDir>
#include <QFileInfo>

namespace {

SceneImporter *programInstance = nullptr;

QString importDirectory(const CAppTypeQt &app)
{
    return app.ResolvePath(CPath("[userpath]scenes/Imported")).toString();
}

// Why a package was not imported, one sentence naming it. Refusals read as
// they do for "-i".
QString failureText(CopyOutcome outcome, const QString &path)
{
    const QString refusal = copyOutcomeMessage(outcome, path);
    if (!refusal.isEmpty())
        return refusal;
    if (outcome == CopyOutcome::AlreadyThere) {
        return SceneImporter::tr("a scene named \u201c%1\u201d is already imported and was kept as it is")
            .arg(QFileInfo(path).completeBaseName());
    }
    return SceneImporter::tr("\u201c%1\u201d could not be copied").arg(path);
}

} // namespace

SceneImporter::SceneImporter(QObject *parent)
    : QObject(parent)
{
}

SceneImporter::SceneImporter(const CAppTypeQt &app, CConfigViewModel &config, QObject *parent)
    : QObject(parent)
    , m_app(&app)
    , m_config(&config)
{
}

SceneImporter::~SceneImporter()
{
    if (programInstance == this)
        programInstance = nullptr;
}

SceneImporter *SceneImporter::instance()
{
    return programInstance;
}

void SceneImporter::setInstance(SceneImporter *importer)
{
    programInstance = importer;
}

bool SceneImporter::isScenePackage(const QUrl &url) const
{
    if (!url.isLocalFile())
        return false;
    const QString name = url.toLocalFile();
    return name.endsWith(QLatin1String(".kvd"), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String(".kvc"), Qt::CaseInsensitive);
}

QUrl SceneImporter::startFolder() const
{
    return QUrl::fromLocalFile(QDir::homePath());
}

void SceneImporter::importScenes(const QList<QUrl> &urls)
{
    QStringList paths;
    QStringList refused;
    for (const QUrl &url : urls) {
        // Nothing reaches the network: a remote address is named, not fetched.
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
        else
            refused.append(tr("\u201c%1\u201d is not a file on this computer").arg(url.toDisplayString()));
    }
    importAll(paths, refused);
}

QString SceneImporter::importFiles(const QStringList &paths)
{
    return importAll(paths, {});
}

QString SceneImporter::importAll(const QStringList &paths, QStringList failures)
{
    if (paths.isEmpty() && failures.isEmpty())
        return QString();
    int imported = 0;
    for (const QString &path : paths) {
        const CopyOutcome outcome = importOne(path);
        if (outcome == CopyOutcome::Copied)
            ++imported;
        else
            failures.append(failureText(outcome, path));
    }
    const QString text = summary(imported, failures);
    if (m_config)
        m_config->raiseMessage(text);
    return text;
}

QString SceneImporter::importHandedOver(const QString &path)
{
    const CopyOutcome outcome = importOne(path);
    const QString refusal = copyOutcomeMessage(outcome, path);
    if (!refusal.isEmpty()) {
        LogError("Import handed over by another start refused: %s", qPrintable(refusal));
        return refusal;
    }
    LogInfo("Import handed over by another start: %s (%s)", qPrintable(path),
            outcome == CopyOutcome::Copied ? "copied"
            : outcome == CopyOutcome::AlreadyThere ? "a scene of that name is kept" : "copy failed");
    return QString();
}

CopyOutcome SceneImporter::importOne(const QString &path)
{
    if (!m_app)
        return CopyOutcome::Failed;
    const CopyOutcome outcome = copyScenePackage(*m_app, path);
    if (outcome == CopyOutcome::Copied && m_config) {
        // The folder watcher sees the copy too; reading the same scene, it
        // changes nothing.
        const QString copy = importedScenePath(importDirectory(*m_app), path);
        m_config->updateCatalogue({new CSceneViewModel(copy, false)}, {});
    }
    return outcome;
}

QString SceneImporter::summary(int imported, const QStringList &failures)
{
    QString text = imported == 0 ? tr("No scene imported.")
                   : imported == 1 ? tr("1 scene imported.")
                                   : tr("%1 scenes imported.").arg(imported);
    if (failures.isEmpty())
        return text;
    // A message stays short enough to read in passing however many failed.
    constexpr int namedAtMost = 3;
    text += tr(" Not imported: ") + QStringList(failures.mid(0, namedAtMost)).join(QStringLiteral("; "));
    if (failures.size() > namedAtMost)
        text += tr(" and %1 more").arg(failures.size() - namedAtMost);
    return text + QLatin1Char('.');
}
