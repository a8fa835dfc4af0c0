#pragma once

#include "FileIdentity.h"
#include "SceneMetadata.h"

#include <QAtomicInt>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>
#include <QtGlobal>

// The catalogue index: the metadata of every scene file the catalogue read,
// kept in an SQLite file ("[userpath]catalogue-index.sqlite") so the next
// start need not open files that did not change. An entry counts only while
// its file has exactly the identity it had when read (device, inode, size,
// modification and change time). The file is disposable: one that is
// missing, damaged, locked, read-only, of a newer version or of another
// program is never trusted; the catalogue is then read from the scene files.
// See docs/file-formats.md and docs/reliability.md.
//
// Each call opens its own database connection and closes it before it
// returns, so a connection never crosses threads; the object may be handed
// from thread to thread between calls. restore() alone may run on several
// threads at once (after open(), before update()).
//
// open() decodes every entry as it reads it, sharing the authors, licences
// and tags among them: the catalogue then holds the very strings decoded
// here, and no record is kept beside them.
class CatalogueIndex
{
public:
    enum class State {
        Unopened,
        Usable,     // read; entries can be restored and the file updated
        Fresh,      // no file, or an empty database: nothing to restore, written by update()
        Rebuild,    // damaged or an older version: nothing restored, replaced by update()
        Ignored,    // newer version, another program's, locked, unreadable: neither read nor written
    };

    // What update() records of a scene file just read.
    struct Entry
    {
        QString path;
        FileIdentity identity;   // as the file was when read
        SceneMetadata metadata;
    };

    static constexpr qint32 kApplicationId = 0x4b564349;   // "KVCI"
    static constexpr int kSchemaVersion = 1;

    // settleNs: update() skips files changed this recently before open():
    // a rewrite within the same tick of the file system's clock would leave
    // every time as it was. Tests that need fresh files indexed pass 0.
    explicit CatalogueIndex(const QString &filePath, qint64 settleNs = 2000000000);
    ~CatalogueIndex();
    CatalogueIndex(const CatalogueIndex &) = delete;
    CatalogueIndex &operator=(const CatalogueIndex &) = delete;

    // Reads every entry of the file; at most once.
    State open();
    State state() const { return m_state; }
    QString filePath() const { return m_filePath; }
    int size() const { return m_entries.size(); }
    // How many scenes restore() has given.
    int restored() const { return m_restored.loadRelaxed(); }

    // The metadata kept for path when the file is still exactly in the state
    // identity describes; the entry then counts as confirmed for update().
    bool restore(const QString &path, const FileIdentity &identity, SceneMetadata *metadata) const;

    // One transaction: stores these entries and removes every entry neither
    // confirmed by restore() nor given here. False when nothing was written
    // (the file is ignored, locked, read-only, or the disk failed); the
    // file then holds what it held before.
    bool update(const QVector<Entry> &read);

private:
    struct Stored
    {
        FileIdentity identity;          // invalid: the record could not be decoded
        SceneMetadata metadata;
        mutable QAtomicInt confirmed;   // set by restore(), on any thread
    };

    QString m_filePath;
    QString m_connection;
    qint64 m_settleNs;
    qint64 m_openedAtNs = 0;
    State m_state = State::Unopened;
    mutable QAtomicInt m_restored;
    // Entries by a 64-bit hash of their path rather than the path: at
    // 100,000 scenes the paths were a fifth of the index's memory. Two paths
    // of one hash cannot mix two files' metadata, as restore() also compares
    // the file's identity, device and inode included; the one left out is
    // read from its file.
    static quint64 pathKey(const QString &path);
    QHash<quint64, Stored> m_entries;

    State inspect();
    State readEntries();
    bool connect();
    void disconnect();
    bool replaceFile();
    bool writeChanges(const QVector<Entry> &read);
};
