#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "FileIdentity.h"
#include "SceneMetadata.h"

// A scene file (".kvc"): a zip archive whose "scene.json" entry holds the
// metadata; every other entry is the scene's content (by convention
// "thumbnail.jpg" is its thumbnail). See docs/file-formats.md.
class ArchiveFile;

class CScene
{
public:
    enum TypeFlag : quint32 {
        Background = 0x1,
        Foreground = 0x2,
        Postprocessing = 0x4,
        Transition = 0x8,
        Hidden = 0x800,          // an official scene the browser does not list
    };

    CScene();
    virtual ~CScene();
    CScene(const CScene &) = default;
    CScene &operator=(const CScene &) = default;
    // A catalogue hands each scene it read on to its view model.
    CScene(CScene &&) = default;
    CScene &operator=(CScene &&) = default;

    // keepContent false reads the metadata only (browsing). keepContent true
    // also checks that every other entry can be carried over by a later Save
    // (editing). Either way the object remembers the file, so no Save loses
    // its content. A failed load leaves an empty scene (GetPath() still gives
    // path) and false; entries set with SetEntry are dropped by every Load.
    bool Load(const QString &path, bool keepContent);
    // The metadata this object holds and the file it holds it from, as that
    // file was when read (or written by Save). False, with nothing written,
    // when the last Load failed, nothing was loaded, or SetEntry entries wait
    // for a Save. Meant right after a Load: edits in memory are not told apart.
    bool LoadedMetadata(SceneMetadata *metadata, FileIdentity *identity) const;
    // The state Load(path, false) leaves when the file, in the state
    // identity, holds this metadata, without reading the file: for metadata
    // kept from an earlier read of that same file.
    void RestoreLoaded(const QString &path, const SceneMetadata &metadata, const FileIdentity &identity);
    // createNew false rewrites the existing archive at path (or, when there
    // is none, the file the object was loaded from): the metadata is
    // replaced, the SetEntry entries added or replaced, every other entry and
    // every unknown metadata key carried over byte for byte. createNew true
    // writes a new archive from the metadata, the content of the file the
    // object was loaded from (if any) and the SetEntry entries. Always
    // atomic; false when nothing was written (an unreadable archive to carry
    // over is never replaced, and after a failed Load only createNew true
    // writes).
    bool Save(const QString &path, bool createNew);

    // Why the last Load or Save failed, in a few words a user can act on
    // ("the file is read-only", "the archive's entries overlap"); empty
    // after a success.
    QString LastError() const { return m_lastError; }

    QString GetAuthor() const { return m_author; }
    QString GetDesc() const { return m_description; }
    QString GetLicenseType() const { return m_licenseType; }
    QStringList GetTags() const { return tagList; }
    // Web page of a licence type; empty for types it does not know.
    static QString GetLicenseUrl(const QString &type);

    virtual QString GetPath() const { return m_path; }
    virtual QString GetId() const { return m_id; }
    virtual QString GetName() const { return m_name; }

    // For scene authors and tools.
    void SetId(const QString &id) { m_id = id; }
    void SetName(const QString &name) { m_name = name; }
    void SetAuthor(const QString &author) { m_author = author; }
    void SetDesc(const QString &description) { m_description = description; }
    void SetLicenseType(const QString &type) { m_licenseType = type; }
    // Adds or replaces a content entry written by Save(path, true) or
    // Save(path, false) ("scene.json" is reserved).
    void SetEntry(const QString &name, const QByteArray &data) { m_newEntries.insert(name, data); }

    quint32 typeFlags = 0;
    bool relicensingFlag = true;
    QStringList tagList;
    SceneDate sceneDate;

    // The file held more or longer tags than a scene may carry
    // (SceneMetadataSchema::kMaxTags, kMaxTagLength): tagList holds them cut
    // to those bounds, and every Save is refused so the cut list is never
    // written. Cleared by the next Load.
    bool TagsTruncated() const { return m_tagsTruncated; }

private:
    QString m_path;
    QString m_id;
    QString m_name;
    QString m_author;
    QString m_description;
    QString m_licenseType;
    JsonText::Members m_unknownKeys;     // keys of "scene.json" this version does not know, written back as written
    QMap<QString, QByteArray> m_newEntries;
    QString m_contentSource;             // the archive whose other entries a Save carries over
    FileIdentity m_contentIdentity;      // that archive as it was read: a Save refuses another
    bool m_loadFailed = false;           // a rewrite would replace real metadata with an empty scene
    QString m_lastError;
    bool m_tagsTruncated = false;

    void Reset();
    bool ReadMetadata(const QByteArray &json);
    void ApplyMetadata(const SceneMetadata &metadata);
    SceneMetadata CurrentMetadata() const;
    bool MetadataJson(const JsonText::Members &unknownKeys, QByteArray *json);
    qint64 WriteBudget(const ArchiveFile &archive, const QByteArray &metadata) const;
};
