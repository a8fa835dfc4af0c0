#include "SceneFolderWatcher.h"

#include "CSceneViewModel.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

namespace {

bool isSceneFileName(const QString &name)
{
    // The start-up scan's rule: the suffix exactly, so "x.kvc.part-1f" and
    // a save's "x.kvc.AbC123" are never scenes.
    return name.endsWith(QLatin1String(".kvc"), Qt::CaseSensitive);
}

// The start-up scan does not follow a link to a folder (a link may loop).
bool isFolder(const QFileInfo &info)
{
    return info.isDir() && !info.isSymLink();
}

QString childPath(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

} // namespace

// One pass of the worker: the folders to list, what it found, and the scenes
// it read. Shared between the two threads; the scenes of changes nobody took
// are deleted with it.
struct SceneFolderWatcher::Pass
{
    struct Job
    {
        QString path;
        bool official = false;
        bool isNew = false;  // not known yet: everything in it, and below it, is new
        Folder known;
    };

    QList<Job> jobs;
    QThread *home = nullptr;
    std::shared_ptr<std::atomic_bool> cancel;

    // Results.
    QHash<QString, Folder> listed;  // every folder listed, new ones below a job included
    QStringList gone;               // job folders that no longer exist
    QList<SceneFileChange> changes;

    ~Pass()
    {
        for (const SceneFileChange &change : qAsConst(changes))
            delete change.scene;
    }

    void read(SceneFileChange::Kind kind, const QString &path, bool official)
    {
        SceneFileChange change;
        change.kind = kind;
        change.path = path;
        auto *scene = new CSceneViewModel(path, official);
        if (official && (scene->scene().typeFlags & CScene::Hidden)) {
            delete scene;
            change.kind = SceneFileChange::Removed;
        } else {
            scene->moveToThread(home);
            change.scene = scene;
        }
        changes.append(change);
    }

    void list(const QString &path, bool official, const Folder &known, bool isNew)
    {
        Folder now;
        now.official = official;
        QStringList newSubfolders;
        // The start-up scan's filters: no hidden entries, no "." or "..".
        QDirIterator it(path);
        while (it.hasNext() && !*cancel) {
            it.next();
            const QString name = it.fileName();
            if (name == QLatin1String(".") || name == QLatin1String(".."))
                continue;
            const QFileInfo info = it.fileInfo();
            if (isFolder(info)) {
                now.subfolders.insert(name);
                if (isNew || !known.subfolders.contains(name))
                    newSubfolders.append(childPath(path, name));
                continue;
            }
            if (!isSceneFileName(name))
                continue;
            const QString filePath = childPath(path, name);
            const FileIdentity identity = FileIdentity::ofPath(filePath);
            now.files.insert(name, identity);
            const auto previous = known.files.constFind(name);
            if (isNew || previous == known.files.cend())
                read(SceneFileChange::Added, filePath, official);
            else if (!previous->sameAs(identity))
                read(SceneFileChange::Changed, filePath, official);
        }
        if (!isNew) {
            for (auto file = known.files.cbegin(); file != known.files.cend(); ++file) {
                if (!now.files.contains(file.key()))
                    changes.append({SceneFileChange::Removed, childPath(path, file.key()), nullptr});
            }
        }
        listed.insert(path, now);
        for (const QString &subfolder : qAsConst(newSubfolders))
            list(subfolder, official, Folder(), true);
    }

    void run()
    {
        for (const Job &job : qAsConst(jobs)) {
            if (*cancel)
                return;
            if (!QFileInfo(job.path).isDir())
                gone.append(job.path);
            else
                list(job.path, job.official, job.known, job.isNew);
        }
    }
};

SceneFolderWatcher::SceneFolderWatcher(const QList<Root> &roots, QObject *parent)
    : QObject(parent)
    , m_roots(roots)
    , m_cancel(std::make_shared<std::atomic_bool>(false))
{
    m_pool.setMaxThreadCount(1);
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(defaultDebounceMs);
    m_delivery.setSingleShot(true);
    m_delivery.setInterval(0);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &SceneFolderWatcher::folderChanged);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this,
            [this](const QString &path) { folderChanged(QFileInfo(path).path()); });
    connect(&m_debounce, &QTimer::timeout, this, &SceneFolderWatcher::runPass);
    connect(&m_delivery, &QTimer::timeout, this, &SceneFolderWatcher::deliverChunk);
}

SceneFolderWatcher::~SceneFolderWatcher()
{
    *m_cancel = true;
    m_pool.waitForDone();
    for (const SceneFileChange &change : qAsConst(m_pending))
        delete change.scene;
}

void SceneFolderWatcher::start()
{
    // Known files are not reported: the same pass as later ones, without
    // reading a single scene, by taking the listing only.
    for (const Root &root : qAsConst(m_roots)) {
        const QString path = QDir::cleanPath(root.path);
        if (!QFileInfo(path).isDir()) {
            m_awaitedRoots.insert(path, {path, root.official});
            const QString above = QFileInfo(path).absolutePath();
            if (QFileInfo(above).isDir())
                m_watcher.addPath(above);
            continue;
        }
        QStringList queue{path};
        while (!queue.isEmpty()) {
            const QString folderPath = queue.takeFirst();
            Folder folder;
            folder.official = root.official;
            QDirIterator it(folderPath);
            while (it.hasNext()) {
                it.next();
                const QString name = it.fileName();
                if (name == QLatin1String(".") || name == QLatin1String(".."))
                    continue;
                if (isFolder(it.fileInfo())) {
                    folder.subfolders.insert(name);
                    queue.append(childPath(folderPath, name));
                } else if (isSceneFileName(name)) {
                    folder.files.insert(name, FileIdentity::ofPath(childPath(folderPath, name)));
                }
            }
            m_folders.insert(folderPath, folder);
        }
    }
    if (!m_folders.isEmpty())
        m_watcher.addPaths(m_folders.keys());
    for (auto folder = m_folders.cbegin(); folder != m_folders.cend(); ++folder) {
        for (auto file = folder->files.cbegin(); file != folder->files.cend(); ++file)
            watchFile(childPath(folder.key(), file.key()));
    }
}

// The watch follows the file, not its name: after a file was replaced its
// name is watched afresh. Up to maxWatchedFiles, so a large catalogue does
// not take every watch the user's other programs need; beyond that, folders
// alone.
void SceneFolderWatcher::watchFile(const QString &path)
{
    if (m_watchedFiles.remove(path))
        m_watcher.removePath(path);
    if (m_watchedFiles.size() < maxWatchedFiles && m_watcher.addPath(path))
        m_watchedFiles.insert(path);
}

void SceneFolderWatcher::unwatchFile(const QString &path)
{
    if (m_watchedFiles.remove(path))
        m_watcher.removePath(path);
}

bool SceneFolderWatcher::isIdle() const
{
    return m_dirty.isEmpty() && !m_passRunning && m_pending.isEmpty() && !m_debounce.isActive()
        && !m_delivery.isActive();
}

void SceneFolderWatcher::folderChanged(const QString &path)
{
    if (m_folders.contains(path)) {
        m_dirty.insert(path);
    } else {
        // The folder above a root that did not exist yet.
        for (const Root &root : qAsConst(m_awaitedRoots)) {
            if (QFileInfo(root.path).absolutePath() == path && QFileInfo(root.path).isDir())
                m_dirty.insert(root.path);
        }
    }
    // Restarted by every event: the pass runs once the folders are quiet.
    if (!m_dirty.isEmpty() && !m_passRunning)
        m_debounce.start();
}

void SceneFolderWatcher::runPass()
{
    if (m_passRunning || m_dirty.isEmpty())
        return;
    auto pass = std::make_shared<Pass>();
    pass->home = thread();
    pass->cancel = m_cancel;
    for (const QString &path : qAsConst(m_dirty)) {
        Pass::Job job;
        job.path = path;
        const auto folder = m_folders.constFind(path);
        if (folder != m_folders.cend()) {
            job.official = folder->official;
            job.known = *folder;
        } else if (m_awaitedRoots.contains(path)) {
            job.official = m_awaitedRoots.value(path).official;
            job.isNew = true;
        } else {
            continue;  // forgotten since it was marked
        }
        pass->jobs.append(job);
    }
    m_dirty.clear();
    if (pass->jobs.isEmpty())
        return;
    m_passRunning = true;
    QPointer<SceneFolderWatcher> self(this);
    m_pool.start([pass, self] {
        pass->run();
        if (*pass->cancel)
            return;
        // Queued to the watcher's thread; dropped with the watcher if it is
        // gone by then, and the scenes with the pass.
        QMetaObject::invokeMethod(self.data(), [self, pass] {
            if (self)
                self->passFinished(pass);
        }, Qt::QueuedConnection);
    });
}

void SceneFolderWatcher::passFinished(const std::shared_ptr<Pass> &pass)
{
    m_passRunning = false;
    QList<SceneFileChange> changes;
    changes.swap(pass->changes);  // ours now
    for (const QString &path : qAsConst(pass->gone))
        forgetFolder(path, changes);
    QStringList added;
    for (auto it = pass->listed.cbegin(); it != pass->listed.cend(); ++it) {
        const QString &path = it.key();
        const auto previous = m_folders.constFind(path);
        if (previous != m_folders.cend()) {
            for (const QString &name : previous->subfolders) {
                if (!it->subfolders.contains(name))
                    forgetFolder(childPath(path, name), changes);
            }
        } else {
            added.append(path);
            m_awaitedRoots.remove(path);
        }
        m_folders.insert(path, *it);
    }
    if (!added.isEmpty()) {
        m_watcher.addPaths(added);
        // Whatever arrived in them before they were watched is found by one
        // more listing.
        for (const QString &path : qAsConst(added))
            m_dirty.insert(path);
    }
    for (const SceneFileChange &change : qAsConst(changes)) {
        if (change.kind == SceneFileChange::Removed)
            unwatchFile(change.path);
        else
            watchFile(change.path);
    }
    queueChanges(changes);
    if (!m_dirty.isEmpty())
        m_debounce.start();
}

void SceneFolderWatcher::forgetFolder(const QString &path, QList<SceneFileChange> &changes)
{
    const auto folder = m_folders.constFind(path);
    if (folder == m_folders.cend())
        return;
    const Folder gone = *folder;
    m_folders.erase(folder);
    m_watcher.removePath(path);
    for (auto file = gone.files.cbegin(); file != gone.files.cend(); ++file)
        changes.append({SceneFileChange::Removed, childPath(path, file.key()), nullptr});
    for (const QString &name : gone.subfolders)
        forgetFolder(childPath(path, name), changes);
    for (const Root &root : qAsConst(m_roots)) {
        const QString rootPath = QDir::cleanPath(root.path);
        if (rootPath == path) {
            // A root that went away is awaited again.
            m_awaitedRoots.insert(rootPath, {rootPath, root.official});
            m_watcher.addPath(QFileInfo(rootPath).absolutePath());
        }
    }
}

void SceneFolderWatcher::queueChanges(QList<SceneFileChange> changes)
{
    if (changes.isEmpty())
        return;
    m_pending.append(changes);
    m_delivery.start();
}

void SceneFolderWatcher::deliverChunk()
{
    const QList<SceneFileChange> chunk = m_pending.mid(0, changeChunk);
    m_pending.erase(m_pending.begin(), m_pending.begin() + chunk.size());
    if (!m_pending.isEmpty())
        m_delivery.start();
    emit scenesChanged(chunk);
}
