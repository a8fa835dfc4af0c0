#pragma once

#include "FileIdentity.h"
#include "ZipLayout.h"

#include <QFile>
#include <QIODevice>
#include <QString>

// A scene archive opened once for everything read from it: its identity, its
// layout, and the device the zip library reads. Whatever is checked and
// whatever is copied therefore come from the same file, even when the path
// is given another file meanwhile.
//
// The library is shown the archive without its comment (see
// ZipLayout::Layout::archiveEnd) when the layout has a single reading, so
// that it finds the end record the layout found even behind a comment longer
// than its own search reaches; otherwise it reads the whole file its own way.
class ArchiveFile
{
public:
    enum class Status {
        Ok,
        NotAFile,       // missing, a directory, pipe, device ...
        CannotOpen,
    };

    ArchiveFile();
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile &) = delete;
    ArchiveFile &operator=(const ArchiveFile &) = delete;

    Status open(const QString &path);

    const FileIdentity &identity() const { return m_identity; }
    const ZipLayout::Layout &layout() const { return m_layout; }
    // For QuaZip; open for reading, valid while this object lives.
    QIODevice *device();
    // Whether path still names the file opened here, unchanged.
    bool stillAt(const QString &path) const;
    // Closes the file (the library's device with it) before it is replaced.
    void close();

private:
    class RangeDevice;
    QFile m_file;
    RangeDevice *m_range = nullptr;
    FileIdentity m_identity;
    ZipLayout::Layout m_layout;
};
