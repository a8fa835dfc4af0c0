#include "ArchiveFile.h"

#include <QFileInfo>

#include <algorithm>

// The first length bytes of an open file, as a device of their own. Seeks
// past the end succeed and reads there give nothing, as on the file itself
// (the library relies on that).
class ArchiveFile::RangeDevice : public QIODevice
{
public:
    RangeDevice(QFile &file, qint64 length) : m_file(file), m_length(length) {}
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_length; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 at = pos();
        if (at >= m_length)
            return 0;
        const qint64 count = std::min(maxSize, m_length - at);
        if (!m_file.seek(at))
            return -1;
        return m_file.read(data, count);
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile &m_file;
    qint64 m_length;
};

namespace {

class FileSource : public ZipFastPath::Source
{
public:
    explicit FileSource(QFile &file) : m_file(file), m_size(file.size()) {}
    qint64 size() const override { return m_size; }
    bool readAt(qint64 offset, char *buffer, qint64 length) override
    {
        return offset >= 0 && length >= 0 && offset <= m_size - length && m_file.seek(offset)
            && m_file.read(buffer, length) == length;
    }

private:
    QFile &m_file;
    qint64 m_size;
};

} // namespace

ArchiveFile::ArchiveFile() = default;

ArchiveFile::~ArchiveFile()
{
    delete m_range;
}

ArchiveFile::Status ArchiveFile::open(const QString &path)
{
    // Only regular files: opening a pipe would block, a device never end.
    if (!QFileInfo(path).isFile())
        return Status::NotAFile;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return Status::CannotOpen;
    m_identity = FileIdentity::ofDescriptor(m_file.handle());
#ifndef Q_OS_UNIX
    if (!m_identity.valid)
        m_identity = FileIdentity::ofPath(path);
#endif
    if (!m_identity.valid)
        return Status::NotAFile;   // swapped for something else after the check above
    FileSource source(m_file);
    m_layout = ZipLayout::inspect(source);
    const bool oneReading =
        m_layout.verdict == ZipLayout::Verdict::Plain || m_layout.verdict == ZipLayout::Verdict::Overlapping;
    m_range = new RangeDevice(m_file, oneReading ? m_layout.archiveEnd : m_file.size());
    if (!m_range->open(QIODevice::ReadOnly))
        return Status::CannotOpen;
    return Status::Ok;
}

QIODevice *ArchiveFile::device()
{
    return m_range;
}

void ArchiveFile::close()
{
    if (m_range)
        m_range->close();
    m_file.close();
}

bool ArchiveFile::stillAt(const QString &path) const
{
#ifdef Q_OS_UNIX
    if (!m_identity.sameAs(FileIdentity::ofDescriptor(m_file.handle())))
        return false;   // written to in place
#endif
    return m_identity.sameAs(FileIdentity::ofPath(path));
}
