#pragma once

#include "FileIdentity.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>

class CSceneViewModel;

// One scene file that appeared, changed or went away below a scene folder.
// For Added and Changed, scene is the file read afresh, without parent and
// owned by whoever takes the change; Removed has none. An official scene
// with the Hidden type bit is reported as Removed: the browser never lists
// it.
struct SceneFileChange
{
    enum Kind { Added, Changed, Removed };
    Kind kind = Added;
    QString path;
    CSceneViewModel *scene = nullptr;
};

// Watches the scene folders (the user's and the official ones, with every
// folder below them, as the start-up scan walks them) and reports the ".kvc"
// files that appear, change or disappear.
//
// A folder that changes is listed again after a quiet spell (debounce), and
// only that folder: a file counts as changed when its FileIdentity (inode,
// size, modification time) differs from the one last seen. The listing and
// the reading of the scenes run on a worker thread, one pass at a time; the
// changes come back in chunks of at most changeChunk, one chunk per turn of
// the event loop, so a folder of 100,000 changing files never blocks the
// window. Names that do not end in ".kvc" (the import's "*.part-*" copies,
// a save's temporary file) are never looked at.
//
// The folders are watched, and so are the first maxWatchedFiles scene files
// themselves, so a file rewritten in place (copied over, without a new
// name) is seen too; beyond that many, such a rewrite is seen when its
// folder next changes. Every writer of this program replaces files by
// renaming, which its folder tells.
class SceneFolderWatcher : public QObject
{
    Q_OBJECT

public:
    struct Root
    {
        QString path;
        bool official = false;
    };

    static constexpr int defaultDebounceMs = 300;
    static constexpr int changeChunk = 64;
    static constexpr int maxWatchedFiles = 1000;

    explicit SceneFolderWatcher(const QList<Root> &roots, QObject *parent = nullptr);
    // Stops the worker (an unfinished pass is dropped) and deletes the scenes
    // of changes not yet taken.
    ~SceneFolderWatcher() override;

    // Records the scene files as they are now, without reporting them (the
    // start-up scan listed them), and starts watching. Synchronous: only
    // names and identities are read.
    void start();
    void setDebounce(int milliseconds) { m_debounce.setInterval(milliseconds); }
    // Whether nothing is waiting: no folder to list, no pass running, no
    // chunk left to deliver.
    bool isIdle() const;

signals:
    // Ownership of every change's scene passes to the receiver; a scene no
    // receiver takes (no connection) is lost, so connect before start().
    void scenesChanged(const QList<SceneFileChange> &changes);

private:
    struct Folder
    {
        bool official = false;
        QHash<QString, FileIdentity> files;  // file name -> identity
        QSet<QString> subfolders;            // names
    };
    struct Pass;

    void folderChanged(const QString &path);
    void runPass();
    void passFinished(const std::shared_ptr<Pass> &pass);
    void forgetFolder(const QString &path, QList<SceneFileChange> &changes);
    void watchFile(const QString &path);
    void unwatchFile(const QString &path);
    void queueChanges(QList<SceneFileChange> changes);
    void deliverChunk();

    QList<Root> m_roots;
    // Roots that did not exist at start, by their path; the folder above
    // each is watched until it appears.
    QHash<QString, Root> m_awaitedRoots;
    QHash<QString, Folder> m_folders;  // every folder watched, by path
    QSet<QString> m_dirty;
    QSet<QString> m_watchedFiles;
    QFileSystemWatcher m_watcher;
    QTimer m_debounce;
    QTimer m_delivery;
    QList<SceneFileChange> m_pending;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_cancel;
    bool m_passRunning = false;
};
