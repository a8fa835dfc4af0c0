#pragma once

#include "JsonText.h"

#include <QList>
#include <QString>

// One scene of a playlist file.
struct PlaylistEntry
{
    QString sceneId;     // may be empty
    QString scenePath;
    int reserved = 0;    // kept for the file format; the program sets 0
    int typeFlags = 0;   // the scene's whole type flag word
    bool found = false;  // mark used while a playlist is synchronised
};

// A playlist file (".kvp"): one entry list per scene type. The lists own
// their entries.
class CPlaylist
{
public:
    CPlaylist();
    ~CPlaylist();

    // Replaces the entries with the file's. A missing or malformed file gives
    // an empty playlist and false; a file that cannot be parsed (too large,
    // too deeply nested, not JSON, not a playlist) is also renamed aside.
    bool Load(const QString &path);
    // Writes atomically as compact JSON; false when it could not be written,
    // or when the text would be more than Load takes (the old file is then
    // left as it was).
    bool Save(const QString &path) const;
    int totalScenes() const;
    // Where the last Load moved a file it could not parse (kept aside, never
    // overwritten); empty when it moved nothing.
    QString SetAsidePath() const { return m_setAsidePath; }
    void clear();

    // A flag for the callers that write playlists; Save itself does not test it.
    bool noSave = false;
    QList<PlaylistEntry *> transitionEntries;
    QList<PlaylistEntry *> standaloneEntries;
    QList<PlaylistEntry *> backgroundEntries;
    QList<PlaylistEntry *> foregroundEntries;
    QList<PlaylistEntry *> postprocessingEntries;

    Q_DISABLE_COPY(CPlaylist)

private:
    JsonText::Members m_otherKeys;   // keys of the file this version does not know, written back as written
    QString m_setAsidePath;
};
