#include "FileIdentity.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#endif

#ifdef Q_OS_UNIX
static FileIdentity fromStat(const struct stat &status)
{
    FileIdentity identity;
    identity.valid = S_ISREG(status.st_mode);
    identity.device = quint64(status.st_dev);
    identity.inode = quint64(status.st_ino);
    identity.size = qint64(status.st_size);
    identity.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + qint64(status.st_mtim.tv_nsec);
    identity.changedNs = qint64(status.st_ctim.tv_sec) * 1000000000 + qint64(status.st_ctim.tv_nsec);
    return identity;
}
#endif

FileIdentity FileIdentity::ofDescriptor(int descriptor)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (descriptor >= 0 && ::fstat(descriptor, &status) == 0)
        return fromStat(status);
#else
    Q_UNUSED(descriptor);
#endif
    return FileIdentity();
}

FileIdentity FileIdentity::ofEntry(int directoryDescriptor, const char *name)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (directoryDescriptor >= 0 && name && ::fstatat(directoryDescriptor, name, &status, 0) == 0)
        return fromStat(status);
#else
    Q_UNUSED(directoryDescriptor);
    Q_UNUSED(name);
#endif
    return FileIdentity();
}

FileIdentity FileIdentity::ofPath(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (!path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &status) == 0)
        return fromStat(status);
    return FileIdentity();
#else
    // Without inodes: size and time are what is left to compare.
    const QFileInfo info(path);
    FileIdentity identity;
    identity.valid = info.isFile();
    identity.size = info.size();
    identity.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    return identity;
#endif
}
