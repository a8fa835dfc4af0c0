#include "CScene.h"

#include "EngineSupport.h"
#include "ZipFastPath.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QSaveFile>
#include <QSet>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>
#include <quazipnewinfo.h>
#include <unzip.h>

#include <limits>

namespace {

const QString kMetadataName = QStringLiteral("scene.json");

// Real metadata is a few kilobytes. The limit is checked against the size the
// archive declares before anything is inflated, and again while reading, so a
// lying header cannot make the engine allocate more.
constexpr qint64 kMaxMetadataBytes = 1024 * 1024;
constexpr qint64 kCopyChunkBytes = 64 * 1024;

constexpr int kMethodStored = 0;
constexpr int kMethodDeflated = 8;
constexpr quint16 kFlagEncrypted = 0x1;
constexpr quint16 kFlagUtf8 = 0x800;
constexpr quint16 kExtraZip64 = 0x0001;
constexpr qint64 kZip32Limit = 0xFFFFFFFFLL;

const char kIdKey[] = "id";
const char kNameKey[] = "name";
const char kAuthorKey[] = "author";
const char kDescriptionKey[] = "description";
const char kLicenseKey[] = "license";
const char kTagsKey[] = "tags";
const char kTypeFlagsKey[] = "typeFlags";
const char kRelicensingKey[] = "relicensing";
const char kDateKey[] = "date";

const char *const kKnownKeys[] = {
    kIdKey, kNameKey, kAuthorKey, kDescriptionKey, kLicenseKey,
    kTagsKey, kTypeFlagsKey, kRelicensingKey, kDateKey,
};

// Whether text read from the archive is written back as the same bytes. The
// writer stores names and comments as UTF-8; the reader decodes flagged ones
// as UTF-8 (invalid bytes become U+FFFD) and unflagged ones with the locale's
// code page. ASCII survives either way; other text only when it was flagged
// UTF-8 and decoded cleanly.
bool keepsItsBytes(const QString &text, quint16 flags)
{
    // The writer takes names and comments as C strings: a NUL would cut them.
    if (text.contains(QChar::ReplacementCharacter) || text.contains(QChar(0)))
        return false;
    if (flags & kFlagUtf8)
        return true;
    for (const QChar c : text) {
        if (c.unicode() > 0x7F)
            return false;
    }
    return true;
}

// An entry whose bytes this engine can read: not encrypted, stored or deflated.
bool isReadable(const QuaZipFileInfo64 &info)
{
    return !(info.flags & kFlagEncrypted)
        && (info.method == kMethodStored || info.method == kMethodDeflated);
}

// An entry a rewrite can copy without understanding it: readable (the
// encryption header is not carried over) and its name and comment written
// back byte for byte (a renamed entry is a lost one).
bool isCarriable(const QuaZipFileInfo64 &info)
{
    return isReadable(info) && keepsItsBytes(info.name, info.flags) && keepsItsBytes(info.comment, info.flags);
}

// QuaZip reads names and comments as C strings, so one holding a NUL byte
// arrives cut short and a rewrite would store the cut text under the entry.
// For text that keepsItsBytes, the decoded text re-encodes to exactly the
// stored bytes, so a stored length that differs means a cut.
bool readWhole(QuaZip &zip, const QuaZipFileInfo64 &info)
{
    unz_file_info64 stored;
    if (unzGetCurrentFileInfo64(zip.getUnzFile(), &stored, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    return stored.size_filename == uLong(info.name.toUtf8().size())
        && stored.size_file_comment == uLong(info.comment.toUtf8().size());
}

// The zip format holds names of at most 65535 bytes; a longer one would be
// written with a cut length field and damage the archive. The writer takes
// names as C strings, so a NUL would cut the name short.
bool fitsTheFormat(const QString &name)
{
    return !name.isEmpty() && !name.contains(QChar(0)) && name.toUtf8().size() <= 0xFFFF;
}

bool needsZip64(const QuaZipFileInfo64 &info)
{
    return qint64(info.uncompressedSize) >= kZip32Limit || qint64(info.compressedSize) >= kZip32Limit;
}

// Reads the archive's current entry, refusing more than limit bytes, data
// that does not inflate, a size other than the declared one and a bad CRC.
bool readCurrentEntry(QuaZip &zip, const QuaZipFileInfo64 &info, qint64 limit, QByteArray *data)
{
    data->clear();
    if (qint64(info.uncompressedSize) > limit || !isReadable(info))
        return false;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes;
    bytes.reserve(int(info.uncompressedSize));
    char buffer[16 * 1024];
    bool ok = true;
    for (;;) {
        const qint64 count = file.read(buffer, sizeof(buffer));
        if (count < 0 || bytes.size() + count > limit) {
            ok = false;
            break;
        }
        if (count == 0)
            break;
        bytes.append(buffer, int(count));
    }
    file.close();
    if (!ok || file.getZipError() != UNZ_OK || quint64(bytes.size()) != info.uncompressedSize)
        return false;
    *data = bytes;
    return true;
}

// The central-directory extra field without its ZIP64 record: the writer adds
// its own when the sizes need one, and a copied one would contradict it.
QByteArray withoutZip64Record(const QByteArray &extra)
{
    QByteArray kept;
    int at = 0;
    while (at + 4 <= extra.size()) {
        const auto byte = [&extra](int i) { return quint16(quint8(extra.at(i))); };
        const quint16 id = quint16(byte(at) | (byte(at + 1) << 8));
        const int length = int(byte(at + 2) | (byte(at + 3) << 8));
        if (at + 4 + length > extra.size())
            break;   // a damaged tail is not copied
        if (id != kExtraZip64)
            kept.append(extra.mid(at, 4 + length));
        at += 4 + length;
    }
    return kept;
}

// Copies the source's current entry into the new archive without inflating
// it: the compressed bytes, method, level, CRC and sizes stay as they are.
bool copyCurrentEntryRaw(QuaZip &source, QuaZip &target, const QuaZipFileInfo64 &info)
{
    if (!isCarriable(info))
        return false;
    QuaZipFile in(&source);
    int method = 0;
    int level = 0;
    if (!in.open(QIODevice::ReadOnly, &method, &level, true))
        return false;

    QuaZipNewInfo newInfo(info);
    newInfo.extraLocal.clear();
    newInfo.extraGlobal = withoutZip64Record(info.extra);
    newInfo.uncompressedSize = ulong(info.uncompressedSize);
    QuaZipFile out(&target);
    if (!out.open(QIODevice::WriteOnly, newInfo, nullptr, info.crc, method, level, true)) {
        in.close();
        return false;
    }
    QByteArray buffer(int(kCopyChunkBytes), Qt::Uninitialized);
    qint64 copied = 0;
    bool ok = true;
    for (;;) {
        const qint64 count = in.read(buffer.data(), buffer.size());
        if (count < 0) {
            ok = false;
            break;
        }
        if (count == 0)
            break;
        if (out.write(buffer.constData(), count) != count) {
            ok = false;
            break;
        }
        copied += count;
    }
    in.close();
    out.close();
    return ok && in.getZipError() == UNZ_OK && out.getZipError() == ZIP_OK
        && quint64(copied) == info.compressedSize;
}

bool isAlreadyCompressed(const QString &name)
{
    static const char *const suffixes[] = {".jpg", ".jpeg", ".png", ".webp", ".kvc", ".zip", ".ogg", ".mp3"};
    for (const char *suffix : suffixes) {
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool writeEntry(QuaZip &target, const QString &name, const QByteArray &data)
{
    if (!fitsTheFormat(name))
        return false;
    QuaZipNewInfo info(name);
    info.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    info.uncompressedSize = ulong(data.size());
    QuaZipFile out(&target);
    const int method = isAlreadyCompressed(name) ? kMethodStored : kMethodDeflated;
    if (!out.open(QIODevice::WriteOnly, info, nullptr, 0, method, Z_DEFAULT_COMPRESSION))
        return false;
    const bool written = out.write(data) == data.size();
    out.close();
    return written && out.getZipError() == ZIP_OK;
}

QJsonObject withoutKnownKeys(QJsonObject object)
{
    for (const char *key : kKnownKeys)
        object.remove(QLatin1String(key));
    return object;
}

// "YYYY-MM-DDThh:mm:ss" as written; any number of digits is read as long as
// every value fits its 16-bit field, so every date a scene can hold reads back.
// Exactly the texts ^(\d{1,5})-(\d{1,5})-(\d{1,5})T(\d{1,5}):(\d{1,5}):(\d{1,5})$
// matches (ASCII digits; like that pattern's "$", one final newline is
// allowed), read by hand because a pattern match per scene is a noticeable
// part of the start-up scan.
bool parseDate(const QString &text, SceneDate *date)
{
    static const char separators[] = {'-', '-', 'T', ':', ':'};
    const QChar *at = text.constData();
    const QChar *end = at + text.size();
    if (at != end && end[-1] == QLatin1Char('\n'))
        --end;
    quint16 parts[6];
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (at == end || *at != QLatin1Char(separators[i - 1]))
                return false;
            ++at;
        }
        uint value = 0;
        int digits = 0;
        while (at != end && digits < 5 && at->unicode() >= '0' && at->unicode() <= '9') {
            value = value * 10 + uint(at->unicode() - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || value > std::numeric_limits<quint16>::max())
            return false;
        parts[i] = quint16(value);
    }
    if (at != end)
        return false;
    date->year = parts[0];
    date->month = parts[1];
    date->day = parts[2];
    date->hour = parts[3];
    date->minute = parts[4];
    date->second = parts[5];
    return true;
}

QString formatDate(const SceneDate &date)
{
    return QString::asprintf("%04u-%02u-%02uT%02u:%02u:%02u", uint(date.year), uint(date.month),
                             uint(date.day), uint(date.hour), uint(date.minute), uint(date.second));
}

// Counts the key in *present when the file holds it.
bool readString(const QJsonObject &object, const char *key, QString *value, int *present)
{
    const QJsonValue field = object.value(QLatin1String(key));
    if (field.isUndefined())
        return true;
    ++*present;
    if (!field.isString())
        return false;
    *value = field.toString();
    return true;
}

} // namespace

CScene::CScene() = default;

CScene::~CScene() = default;

void CScene::Reset()
{
    typeFlags = 0;
    relicensingFlag = true;
    tagList.clear();
    sceneDate = SceneDate();
    m_path.clear();
    m_id.clear();
    m_name.clear();
    m_author.clear();
    m_description.clear();
    m_licenseType.clear();
    m_unknownKeys = QJsonObject();
    m_newEntries.clear();
    m_contentSource.clear();
    m_loadFailed = false;
}

bool CScene::ReadMetadata(const QByteArray &json)
{
    QJsonObject object;
    if (!EngineSupport::ParseJsonObject(json, &object))
        return false;

    // Everything is checked before anything is stored: a field of the wrong
    // type rejects the whole file rather than leaving half a scene.
    // Known keys the file holds: when that is every key, there is no
    // unknown one to keep and the object need not be copied to find them.
    int presentKeys = 0;
    QString id, name, author, description, license;
    if (!readString(object, kIdKey, &id, &presentKeys) || !readString(object, kNameKey, &name, &presentKeys)
        || !readString(object, kAuthorKey, &author, &presentKeys)
        || !readString(object, kDescriptionKey, &description, &presentKeys)
        || !readString(object, kLicenseKey, &license, &presentKeys)) {
        return false;
    }

    QStringList tags;
    const QJsonValue tagsValue = object.value(QLatin1String(kTagsKey));
    if (!tagsValue.isUndefined()) {
        ++presentKeys;
        if (!tagsValue.isArray())
            return false;
        const QJsonArray array = tagsValue.toArray();
        for (const QJsonValue &tag : array) {
            if (!tag.isString())
                return false;
            tags.append(tag.toString());
        }
    }

    quint32 flags = 0;
    const QJsonValue flagsValue = object.value(QLatin1String(kTypeFlagsKey));
    if (!flagsValue.isUndefined()) {
        ++presentKeys;
        if (!EngineSupport::IsWholeNumberIn(flagsValue, 0, std::numeric_limits<quint32>::max()))
            return false;
        flags = quint32(flagsValue.toDouble());
    }

    bool relicensing = true;
    const QJsonValue relicensingValue = object.value(QLatin1String(kRelicensingKey));
    if (!relicensingValue.isUndefined()) {
        ++presentKeys;
        if (!relicensingValue.isBool())
            return false;
        relicensing = relicensingValue.toBool();
    }

    SceneDate date;
    const QJsonValue dateValue = object.value(QLatin1String(kDateKey));
    if (!dateValue.isUndefined()) {
        ++presentKeys;
        if (!dateValue.isString())
            return false;
        if (!dateValue.toString().isEmpty() && !parseDate(dateValue.toString(), &date))
            return false;
    }

    m_id = id;
    m_name = name;
    m_author = author;
    m_description = description;
    m_licenseType = license;
    tagList = tags;
    typeFlags = flags;
    relicensingFlag = relicensing;
    sceneDate = date;
    m_unknownKeys = object.size() == presentKeys ? QJsonObject() : withoutKnownKeys(object);
    return true;
}

QByteArray CScene::MetadataJson(const QJsonObject &unknownKeys) const
{
    QJsonObject object = unknownKeys;
    object.insert(QLatin1String(kIdKey), m_id);
    object.insert(QLatin1String(kNameKey), m_name);
    object.insert(QLatin1String(kAuthorKey), m_author);
    object.insert(QLatin1String(kDescriptionKey), m_description);
    object.insert(QLatin1String(kLicenseKey), m_licenseType);
    object.insert(QLatin1String(kTagsKey), QJsonArray::fromStringList(tagList));
    object.insert(QLatin1String(kTypeFlagsKey), double(typeFlags));
    object.insert(QLatin1String(kRelicensingKey), relicensingFlag);
    object.insert(QLatin1String(kDateKey), formatDate(sceneDate));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool CScene::Load(const QString &path, bool keepContent)
{
    Reset();
    m_path = path;
    const auto fail = [this, &path]() {
        Reset();
        m_path = path;
        m_loadFailed = true;
        return false;
    };

    // Browsing reads thousands of scenes before the window shows: the
    // metadata of an archive laid out the usual way is read with two small
    // reads. Anything unusual or damaged goes the general way below, which
    // applies the same rules (first exact "scene.json", size limit, CRC).
    // The fast reader opens without blocking and turns away everything but
    // regular files itself, so the check below is not paid twice.
    if (!keepContent) {
        static const QByteArray metadataName = kMetadataName.toUtf8();
        QByteArray json;
        switch (ZipFastPath::readFileEntry(path, metadataName, kMaxMetadataBytes, &json)) {
        case ZipFastPath::Outcome::Found:
            if (!ReadMetadata(json))
                return fail();
            m_contentSource = path;
            return true;
        case ZipFastPath::Outcome::NotRegularFile:
            return fail();
        case ZipFastPath::Outcome::Fallback:
            break;
        }
    }

    // Only regular files: opening a pipe would block, a device never end.
    if (!QFileInfo(path).isFile())
        return fail();

    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return fail();

    // The first entry named exactly "scene.json" (in central-directory order,
    // case-sensitive on every platform) is the metadata; later entries of
    // that name are content like any other.
    QByteArray json;
    bool found = false;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            return fail();
        if (!found && info.name == kMetadataName) {
            found = true;
            // Browsing needs only the bytes; an edit also rewrites this
            // entry and must not lose its name or comment.
            if (!readCurrentEntry(zip, info, kMaxMetadataBytes, &json) || (keepContent && !isCarriable(info)))
                return fail();
            if (!keepContent)
                break;
        } else if (keepContent && !(isCarriable(info) && readWhole(zip, info))) {
            return fail();   // an edit could not be saved without losing this entry
        }
    }
    if (zip.getZipError() != UNZ_OK || !found || !ReadMetadata(json))
        return fail();

    m_contentSource = path;
    return true;
}

bool CScene::Save(const QString &path, bool createNew)
{
    // An edit of a file that could not be read would write an empty scene
    // plus the edit over it; the file is left as it is instead.
    if (m_loadFailed && !createNew)
        return false;
    const QString source = (!createNew && QFileInfo::exists(path)) ? path : m_contentSource;

    // First pass over the archive to carry over: its metadata (for the keys
    // this version does not know), and whether every entry can be copied.
    QuaZip sourceZip(source);
    QJsonObject unknownKeys;
    bool sourceHasMetadata = false;
    bool zip64 = false;
    if (!source.isEmpty()) {
        if (!QFileInfo(source).isFile() || !sourceZip.open(QuaZip::mdUnzip))
            return false;
        for (bool more = sourceZip.goToFirstFile(); more; more = sourceZip.goToNextFile()) {
            QuaZipFileInfo64 info;
            if (!sourceZip.getCurrentFileInfo(&info))
                return false;
            if (!sourceHasMetadata && info.name == kMetadataName) {
                sourceHasMetadata = true;
                QByteArray json;
                QJsonObject oldMetadata;
                if (!isCarriable(info) || !readCurrentEntry(sourceZip, info, kMaxMetadataBytes, &json)
                    || !EngineSupport::ParseJsonObject(json, &oldMetadata)) {
                    return false;
                }
                unknownKeys = withoutKnownKeys(oldMetadata);
                continue;
            }
            if (!isCarriable(info) || !readWhole(sourceZip, info))
                return false;
            zip64 = zip64 || needsZip64(info);
        }
        if (sourceZip.getZipError() != UNZ_OK)
            return false;
    }
    for (auto it = m_newEntries.constBegin(); it != m_newEntries.constEnd(); ++it) {
        if (it.key() != kMetadataName && !it.key().isEmpty() && !fitsTheFormat(it.key()))
            return false;
    }
    // What this object read itself wins over what the file holds now.
    for (auto it = m_unknownKeys.constBegin(); it != m_unknownKeys.constEnd(); ++it)
        unknownKeys.insert(it.key(), it.value());
    const QByteArray metadata = MetadataJson(unknownKeys);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QuaZip target(&file);
    target.setAutoClose(false);   // the QSaveFile is committed, never just closed
    target.setUtf8Enabled(true);
    target.setZip64Enabled(zip64);
    if (!target.open(QuaZip::mdCreate)) {
        file.cancelWriting();
        return false;
    }

    bool ok = true;
    QSet<QString> replaced;
    if (!sourceHasMetadata)
        ok = writeEntry(target, kMetadataName, metadata);
    if (ok && !source.isEmpty()) {
        bool metadataDone = !sourceHasMetadata;
        for (bool more = sourceZip.goToFirstFile(); ok && more; more = sourceZip.goToNextFile()) {
            QuaZipFileInfo64 info;
            if (!sourceZip.getCurrentFileInfo(&info)) {
                ok = false;
                break;
            }
            if (!metadataDone && info.name == kMetadataName) {
                metadataDone = true;
                ok = writeEntry(target, kMetadataName, metadata);
            } else if (info.name != kMetadataName && m_newEntries.contains(info.name)
                       && !replaced.contains(info.name)) {
                replaced.insert(info.name);
                ok = writeEntry(target, info.name, m_newEntries.value(info.name));
            } else {
                ok = copyCurrentEntryRaw(sourceZip, target, info);
            }
        }
        ok = ok && sourceZip.getZipError() == UNZ_OK;
    }
    sourceZip.close();   // before the rename: the source may be the file replaced
    for (auto it = m_newEntries.constBegin(); ok && it != m_newEntries.constEnd(); ++it) {
        if (it.key().isEmpty() || it.key() == kMetadataName || replaced.contains(it.key()))
            continue;
        ok = writeEntry(target, it.key(), it.value());
    }

    target.close();
    ok = ok && target.getZipError() == ZIP_OK;
    // QSaveFile::commit() in Qt 5 can report success after a write failed on
    // a full disk; flush and look at the error before the rename.
    if (!ok || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;

    m_path = path;
    m_contentSource = path;
    m_unknownKeys = unknownKeys;
    m_newEntries.clear();
    m_loadFailed = false;
    return true;
}

QString CScene::GetLicenseUrl(const QString &type)
{
    static const QHash<QString, QString> urls = [] {
        QHash<QString, QString> table;
        const QString zero = QStringLiteral("https://creativecommons.org/publicdomain/zero/1.0/");
        table.insert(QStringLiteral("CC0"), zero);
        table.insert(QStringLiteral("CC0 1.0"), zero);
        const char *const kinds[] = {"BY", "BY-SA", "BY-NC", "BY-NC-SA", "BY-ND", "BY-NC-ND"};
        const char *const versions[] = {"2.0", "2.5", "3.0", "4.0"};
        for (const char *kind : kinds) {
            for (const char *version : versions) {
                table.insert(QStringLiteral("CC %1 %2").arg(QLatin1String(kind), QLatin1String(version)),
                             QStringLiteral("https://creativecommons.org/licenses/%1/%2/")
                                 .arg(QString::fromLatin1(kind).toLower(), QLatin1String(version)));
            }
        }
        return table;
    }();
    // Licence types are written by hand: letter case and spacing do not count.
    return urls.value(type.simplified().toUpper());
}
