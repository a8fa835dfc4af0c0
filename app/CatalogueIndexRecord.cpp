#include "CatalogueIndexRecord.h"

#include "JsonText.h"
#include "SharedStrings.h"

#include <QVarLengthArray>
#include <QtEndian>

#include <cstring>

// Our own encoding rather than QDataStream: its container readers reserve
// whatever count they read first, so a damaged record could ask for
// gigabytes; here every length is checked against the bytes that are left.
namespace CatalogueIndexRecord {

namespace {

constexpr quint8 kFormat = 1;
constexpr int kIdentityBytes = 1 + 5 * 8;

class Writer
{
public:
    explicit Writer(QByteArray *bytes) : m_bytes(bytes) {}

    template<typename T>
    void number(T value)
    {
        char raw[sizeof(T)];
        qToLittleEndian(value, raw);
        m_bytes->append(raw, int(sizeof(T)));
    }
    void text(const QString &value)
    {
        number(quint32(value.size()));
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        m_bytes->append(reinterpret_cast<const char *>(value.utf16()), value.size() * 2);
#else
        for (const QChar unit : value)
            number(quint16(unit.unicode()));
#endif
    }
    void bytes(const QByteArray &value)
    {
        number(quint32(value.size()));
        m_bytes->append(value);
    }

private:
    QByteArray *m_bytes;
};

class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_at(bytes.constData()), m_end(bytes.constData() + bytes.size()) {}

    template<typename T>
    bool number(T *value)
    {
        if (m_end - m_at < qint64(sizeof(T)))
            return false;
        *value = qFromLittleEndian<T>(m_at);
        m_at += sizeof(T);
        return true;
    }
    bool text(QString *value, quint32 maxLength = kMaxBytes)
    {
        quint32 length = 0;
        if (!number(&length) || length > maxLength || quint64(m_end - m_at) < quint64(length) * 2)
            return false;
        // One allocation, no copy of old contents (resize() reallocates).
        QString text(int(length), Qt::Uninitialized);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        std::memcpy(text.data(), m_at, size_t(length) * 2);
        m_at += size_t(length) * 2;
#else
        QChar *units = text.data();
        for (quint32 i = 0; i < length; ++i, m_at += 2)
            units[i] = QChar(qFromLittleEndian<quint16>(m_at));
#endif
        *value = std::move(text);
        return true;
    }
    // A text that repeats across scenes (author, licence, tag), taken from
    // the pool: a tag at most kMaxTagLength long is looked up from the stack.
    bool sharedText(SharedStrings &strings, QString *value, quint32 maxLength)
    {
        quint32 length = 0;
        if (!number(&length) || length > maxLength || quint64(m_end - m_at) < quint64(length) * 2)
            return false;
        QVarLengthArray<QChar, SceneMetadataSchema::kMaxTagLength> units(static_cast<int>(length));
        for (quint32 i = 0; i < length; ++i, m_at += 2)
            units[int(i)] = QChar(qFromLittleEndian<quint16>(m_at));
        *value = strings.shared(QStringView(units.constData(), units.size()));
        return true;
    }
    bool bytes(QByteArray *value)
    {
        quint32 length = 0;
        if (!number(&length) || quint64(m_end - m_at) < length)
            return false;
        *value = QByteArray(m_at, int(length));
        m_at += length;
        return true;
    }
    bool atEnd() const { return m_at == m_end; }

private:
    const char *m_at;
    const char *m_end;
};

bool readIdentity(Reader &reader, FileIdentity *identity)
{
    quint8 format = 0;
    if (!reader.number(&format) || format != kFormat || !reader.number(&identity->device)
        || !reader.number(&identity->inode) || !reader.number(&identity->size)
        || !reader.number(&identity->modifiedNs) || !reader.number(&identity->changedNs)) {
        return false;
    }
    identity->valid = true;
    return true;
}

} // namespace

QByteArray encode(const FileIdentity &identity, const SceneMetadata &metadata)
{
    QByteArray record;
    record.reserve(kIdentityBytes + 256);
    Writer writer(&record);
    writer.number(kFormat);
    writer.number(identity.device);
    writer.number(identity.inode);
    writer.number(identity.size);
    writer.number(identity.modifiedNs);
    writer.number(identity.changedNs);
    for (const QString *text : {&metadata.id, &metadata.name, &metadata.author, &metadata.description, &metadata.license})
        writer.text(*text);
    writer.number(quint32(metadata.tags.size()));
    for (const QString &tag : metadata.tags)
        writer.text(tag);
    writer.number(metadata.typeFlags);
    writer.number(quint8((metadata.relicensing ? 1 : 0) | (metadata.tagsTruncated ? 2 : 0)));
    const SceneDate &date = metadata.date;
    for (const quint16 part : {date.year, date.month, date.day, date.hour, date.minute, date.second})
        writer.number(part);
    writer.bytes(metadata.unknownKeys.isEmpty() ? QByteArray() : JsonText::ObjectText(metadata.unknownKeys));
    return record;
}

bool decode(const QByteArray &record, FileIdentity *identity, SceneMetadata *metadata, SharedStrings *strings)
{
    if (record.size() > kMaxBytes)
        return false;
    Reader reader(record);
    if (!readIdentity(reader, identity))
        return false;
    const auto repeated = [&reader, strings](QString *text, quint32 maxLength) {
        return strings ? reader.sharedText(*strings, text, maxLength) : reader.text(text, maxLength);
    };
    if (!reader.text(&metadata->id) || !reader.text(&metadata->name) || !repeated(&metadata->author, kMaxBytes)
        || !reader.text(&metadata->description) || !repeated(&metadata->license, kMaxBytes)) {
        return false;
    }
    quint32 tagCount = 0;
    if (!reader.number(&tagCount) || tagCount > quint32(SceneMetadataSchema::kMaxTags))
        return false;
    metadata->tags.clear();
    metadata->tags.reserve(int(tagCount));
    for (quint32 i = 0; i < tagCount; ++i) {
        QString tag;
        if (!repeated(&tag, SceneMetadataSchema::kMaxTagLength))
            return false;
        metadata->tags.append(tag);
    }
    quint8 flags = 0;
    SceneDate &date = metadata->date;
    QByteArray unknownText;
    if (!reader.number(&metadata->typeFlags) || !reader.number(&flags) || flags > 3 || !reader.number(&date.year)
        || !reader.number(&date.month) || !reader.number(&date.day) || !reader.number(&date.hour)
        || !reader.number(&date.minute) || !reader.number(&date.second) || !reader.bytes(&unknownText)
        || !reader.atEnd()) {
        return false;
    }
    metadata->relicensing = flags & 1;
    metadata->tagsTruncated = flags & 2;
    metadata->unknownKeys.clear();
    // Unknown keys go back into the scene file on a save: only what the
    // scene reader itself would take from a file.
    return unknownText.isEmpty()
        || (SceneMetadataSchema::unknownMembers(unknownText, &metadata->unknownKeys)
            && !metadata->unknownKeys.isEmpty());
}

} // namespace CatalogueIndexRecord
