#pragma once

#include <QString>
#include <QtGlobal>

// Which file a path named, and in which state: device, inode, size,
// modification and change time. A scene edit compares the identity of the
// file it read with the file it is about to replace, so that a file swapped
// or rewritten in between is never mixed with what was read before.
struct FileIdentity
{
    bool valid = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    // The inode's change time: set by the system on every write, rename or
    // time change, so unlike modifiedNs no program can set it back.
    qint64 changedNs = 0;

    // Of an open file descriptor (POSIX) ...
    static FileIdentity ofDescriptor(int descriptor);
    // ... or of whatever the path names now (a symbolic link is followed,
    // as opening the path would).
    static FileIdentity ofPath(const QString &path);
    // ... or of the entry name in an open directory (POSIX; invalid
    // elsewhere), as ofPath of its path gives it without looking the
    // directories up again.
    static FileIdentity ofEntry(int directoryDescriptor, const char *name);

    // Both valid and the same file in the same state.
    bool sameAs(const FileIdentity &other) const
    {
        return valid && other.valid && device == other.device && inode == other.inode && size == other.size
            && modifiedNs == other.modifiedNs;
    }
    // sameAs and the same change time as well: not even rewritten in place
    // with its old size and modification time put back.
    bool untouchedSince(const FileIdentity &other) const
    {
        return sameAs(other) && changedNs == other.changedNs;
    }
};
