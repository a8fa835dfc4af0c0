#include "SceneFileWalk.h"

#include <QFile>

#if defined(Q_OS_LINUX)
#include <dirent.h>
#include <sys/stat.h>
#else
#include <QDirIterator>
#endif

namespace Catalogue {

namespace {

#if defined(Q_OS_LINUX)
bool isSceneName(const char *name, size_t length)
{
    return length >= 4 && name[length - 4] == '.' && name[length - 3] == 'k' && name[length - 2] == 'v'
        && name[length - 1] == 'c';
}

// Our own walk where readdir gives the entry's type: QDirIterator makes a
// QFileInfo (and a stat) of every entry, which at 100,000 scenes was the
// largest single cost of a start on the GUI thread.
enum class Kind { Skip, File, Folder, LinkedEntry };

Kind kindOf(const QByteArray &path, unsigned char type)
{
    switch (type) {
    case DT_REG:
        return Kind::File;
    case DT_DIR:
        return Kind::Folder;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return Kind::Skip;   // sockets, pipes, devices
    }
    struct stat own;
    if (lstat(path.constData(), &own) != 0)
        return Kind::Skip;
    if (S_ISREG(own.st_mode))
        return Kind::File;
    if (S_ISDIR(own.st_mode))
        return Kind::Folder;
    if (!S_ISLNK(own.st_mode))
        return Kind::Skip;
    // A link counts as what it leads to; a broken one is skipped.
    struct stat target;
    if (stat(path.constData(), &target) != 0)
        return Kind::Skip;
    return S_ISREG(target.st_mode) || S_ISDIR(target.st_mode) ? Kind::LinkedEntry : Kind::Skip;
}

void walk(const QByteArray &folder, QStringList &found, QVector<FileIdentity> *identities)
{
    DIR *dir = opendir(folder.constData());
    if (!dir)
        return;
    QByteArray path = folder;
    if (!path.endsWith('/'))
        path.append('/');
    const int prefix = path.size();
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.')
            continue;   // hidden, and "." and ".."
        const size_t length = qstrlen(name);
        const bool scene = isSceneName(name, length);
        // Only names that could matter cost a stat: folders give their type
        // here on the usual file systems.
        if (!scene && entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
            continue;
        path.truncate(prefix);
        path.append(name, int(length));
        const Kind kind = kindOf(path, entry->d_type);
        if (kind == Kind::Skip)
            continue;
        if (scene) {
            found.append(QFile::decodeName(path));
            if (identities)
                identities->append(FileIdentity::ofEntry(dirfd(dir), name));
        }
        if (kind == Kind::Folder)
            walk(path, found, identities);
    }
    closedir(dir);
}
#endif

} // namespace

QStringList sceneFilesBelow(const QString &directory, QVector<FileIdentity> *identities)
{
    QStringList found;
#if defined(Q_OS_LINUX)
    if (!directory.isEmpty())
        walk(QFile::encodeName(directory), found, identities);
#else
    QDirIterator it(directory, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().endsWith(QLatin1String(".kvc"), Qt::CaseSensitive)) {
            found.append(it.filePath());
            if (identities)
                identities->append(FileIdentity());
        }
    }
#endif
    return found;
}

} // namespace Catalogue
