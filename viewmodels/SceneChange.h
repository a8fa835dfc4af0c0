#pragma once

#include "SceneFileBackups.h"

#include <QCoreApplication>
#include <QString>

class CScene;

// One change of a scene's editable metadata: a tag added or removed, or the
// relicensing flag set. A value type, so a bulk edit can hand the same change
// to worker threads and later make it in memory on the GUI thread.
class SceneChange
{
    Q_DECLARE_TR_FUNCTIONS(SceneChange)

public:
    enum Kind { AddTag, RemoveTag, SetRelicensing };

    static SceneChange addTag(const QString &tag) { return SceneChange(AddTag, tag, true); }
    static SceneChange removeTag(const QString &tag) { return SceneChange(RemoveTag, tag, true); }
    static SceneChange setRelicensing(bool possible) { return SceneChange(SetRelicensing, QString(), possible); }

    Kind kind() const { return m_kind; }
    QString tag() const { return m_tag; }
    bool relicensing() const { return m_relicensing; }

    // Whether applying it to scene would change anything: adding a tag the
    // scene already has would only list it twice.
    bool changes(const CScene &scene) const;
    void applyTo(CScene &scene) const;

    // Writes the change into the scene file at filepath through a fresh copy
    // loaded for editing, so every content entry is carried over. When the
    // copy cannot be loaded nothing is written: saving would replace the
    // user's scene with an empty one. Returns why the file was not changed,
    // empty on success. Touches nothing but that file: safe on any thread.
    QString writeTo(const QString &filepath) const;
    // The same, keeping the file's bytes in backups first so the change can
    // be undone: on success *kept holds them (invalid when nothing could be
    // kept), on failure nothing is kept. Without backups, writeTo.
    QString writeKeeping(const QString &filepath, const SceneFileBackups *backups, SceneFileBackups::Kept *kept) const;

private:
    SceneChange(Kind kind, const QString &tag, bool relicensing)
        : m_kind(kind), m_tag(tag), m_relicensing(relicensing) {}

    Kind m_kind;
    QString m_tag;
    bool m_relicensing;
};
