#pragma once

#include <QtGlobal>

// The fixed parts of the zip format that the engine's own readers and the
// rewrite share: record signatures and sizes, flag bits, methods, and the
// little-endian fields every record is made of.
namespace ZipFormat {

// Signatures as the four bytes they are stored as.
constexpr quint32 kLocalHeaderSignature = 0x04034b50;
constexpr quint32 kCentralHeaderSignature = 0x02014b50;
constexpr quint32 kEndRecordSignature = 0x06054b50;
constexpr quint32 kZip64EndRecordSignature = 0x06064b50;
constexpr quint32 kZip64LocatorSignature = 0x07064b50;
constexpr quint32 kDescriptorSignature = 0x08074b50;

constexpr qint64 kLocalHeaderBytes = 30;
constexpr qint64 kCentralHeaderBytes = 46;
constexpr qint64 kEndRecordBytes = 22;
constexpr qint64 kLocatorBytes = 20;
constexpr qint64 kZip64EndRecordBytes = 56;
constexpr qint64 kMaxCommentBytes = 0xFFFF;

constexpr quint16 kFlagEncrypted = 0x0001;
constexpr quint16 kFlagDataDescriptor = 0x0008;
constexpr quint16 kFlagStrongEncryption = 0x0040;
constexpr quint16 kFlagUtf8 = 0x0800;

constexpr quint16 kMethodStored = 0;
constexpr quint16 kMethodDeflated = 8;

constexpr quint16 kExtraZip64 = 0x0001;
// A 32-bit field holding this says "see the zip64 record".
constexpr quint32 kMarker32 = 0xFFFFFFFFu;
constexpr quint16 kMarker16 = 0xFFFFu;
constexpr qint64 kZip32Limit = 0xFFFFFFFFLL;

inline quint16 le16(const char *at)
{
    const auto *p = reinterpret_cast<const uchar *>(at);
    return quint16(p[0] | (p[1] << 8));
}

inline quint32 le32(const char *at)
{
    const auto *p = reinterpret_cast<const uchar *>(at);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

inline quint64 le64(const char *at)
{
    return quint64(le32(at)) | (quint64(le32(at + 4)) << 32);
}

} // namespace ZipFormat
