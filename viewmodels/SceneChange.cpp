#include "SceneChange.h"

#include "CScene.h"

bool SceneChange::changes(const CScene &scene) const
{
    switch (m_kind) {
    case AddTag:
        return !scene.tagList.contains(m_tag);
    case RemoveTag:
        return scene.tagList.contains(m_tag);
    case SetRelicensing:
        return scene.relicensingFlag != m_relicensing;
    }
    return false;
}

void SceneChange::applyTo(CScene &scene) const
{
    switch (m_kind) {
    case AddTag:
        // Appended as given, as the single-scene edit always did; callers
        // that must not list a tag twice ask changes() first.
        scene.tagList.append(m_tag);
        break;
    case RemoveTag:
        scene.tagList.removeAll(m_tag);
        break;
    case SetRelicensing:
        scene.relicensingFlag = m_relicensing;
        break;
    }
}

QString SceneChange::writeTo(const QString &filepath) const
{
    CScene file;
    if (!file.Load(filepath, true)) {
        const QString reason = file.LastError();
        return reason.isEmpty() ? tr("the file could not be read") : reason;
    }
    applyTo(file);
    if (!file.Save(filepath, false)) {
        const QString reason = file.LastError();
        return reason.isEmpty() ? tr("the file could not be written") : reason;
    }
    return QString();
}

QString SceneChange::writeKeeping(const QString &filepath, const SceneFileBackups *backups,
                                  SceneFileBackups::Kept *kept) const
{
    *kept = SceneFileBackups::Kept();
    if (!backups)
        return writeTo(filepath);
    SceneFileBackups::Kept before = backups->keep(filepath);
    const QString problem = writeTo(filepath);
    if (!problem.isEmpty()) {
        backups->discard(before);
        return problem;
    }
    if (before.isValid()) {
        SceneFileBackups::noteEdited(before);
        *kept = before;
    }
    return problem;
}
