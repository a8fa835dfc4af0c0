#include "CScene.h"

#include "ArchiveFile.h"
#include "EngineSupport.h"
#include "SceneArchive.h"
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

using namespace SceneArchive;

namespace {

const QString &kMetadataName = SceneMetadataSchema::kEntryName;
constexpr qint64 kMaxMetadataBytes = SceneMetadataSchema::kMaxBytes;
// Local header, central header, their zip64 records and a data descriptor
// for one entry, with room to spare; names and extra fields come on top.
constexpr qint64 kEntryOverheadBytes = 256;

// Why a load or save failed, as LastError() tells it.
namespace reasons {
QString notAFile() { return QStringLiteral("the file does not exist or is not a regular file"); }
QString cannotOpen() { return QStringLiteral("the file cannot be opened"); }
QString badMetadata() { return QStringLiteral("the scene's metadata is missing or not valid"); }
QString cannotCarry() { return QStringLiteral("an entry cannot be carried over (encrypted or unsupported)"); }
QString notLoaded() { return QStringLiteral("the scene could not be read, so it is not rewritten"); }
QString changedSinceRead() { return QStringLiteral("the file changed after it was read"); }
QString changedWhileSaving() { return QStringLiteral("the file changed while it was being saved"); }
QString overBudget() { return QStringLiteral("the rewrite would grow far beyond the scene's size"); }
QString badEntryName() { return QStringLiteral("an entry name does not fit the archive format"); }

QString cannotWrite(const QString &path)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isWritable())
        return QStringLiteral("the file is read-only");
    if (!QFileInfo(target.absolutePath()).isDir())
        return QStringLiteral("the folder does not exist");
    return QStringLiteral("the disk is full or the file could not be written");
}

QString forStatus(ArchiveFile::Status status)
{
    return status == ArchiveFile::Status::NotAFile ? notAFile() : cannotOpen();
}

QString forVerdict(ZipLayout::Verdict verdict)
{
    switch (verdict) {
    case ZipLayout::Verdict::Overlapping:
        return QStringLiteral("the archive's entries overlap");
    case ZipLayout::Verdict::Ambiguous:
        return QStringLiteral("the archive's layout is ambiguous");
    default:
        return QStringLiteral("the file is not a readable scene archive");
    }
}
} // namespace reasons

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
    m_unknownKeys.clear();
    m_tagsTruncated = false;
    m_newEntries.clear();
    m_contentSource.clear();
    m_loadFailed = false;
}

bool CScene::ReadMetadata(const QByteArray &json)
{
    SceneMetadata metadata;
    if (!metadata.parse(json))
        return false;
    ApplyMetadata(metadata);
    return true;
}

void CScene::ApplyMetadata(const SceneMetadata &metadata)
{
    m_id = metadata.id;
    m_name = metadata.name;
    m_author = metadata.author;
    m_description = metadata.description;
    m_licenseType = metadata.license;
    tagList = metadata.tags;
    typeFlags = metadata.typeFlags;
    relicensingFlag = metadata.relicensing;
    sceneDate = metadata.date;
    m_unknownKeys = metadata.unknownKeys;
    m_tagsTruncated = metadata.tagsTruncated;
}

// What ApplyMetadata took, as the scene holds it now.
SceneMetadata CScene::CurrentMetadata() const
{
    SceneMetadata metadata;
    metadata.id = m_id;
    metadata.name = m_name;
    metadata.author = m_author;
    metadata.description = m_description;
    metadata.license = m_licenseType;
    metadata.tags = tagList;
    metadata.typeFlags = typeFlags;
    metadata.relicensing = relicensingFlag;
    metadata.date = sceneDate;
    metadata.unknownKeys = m_unknownKeys;
    metadata.tagsTruncated = m_tagsTruncated;
    return metadata;
}

// False, with m_lastError set, when the metadata would not read back whole.
bool CScene::MetadataJson(const JsonText::Members &unknownKeys, QByteArray *json)
{
    SceneMetadata metadata = CurrentMetadata();
    metadata.unknownKeys = unknownKeys;
    return metadata.toJson(json, &m_lastError);
}

bool CScene::Load(const QString &path, bool keepContent)
{
    Reset();
    m_path = path;
    m_lastError.clear();
    const auto fail = [this, &path](const QString &reason) {
        Reset();
        m_path = path;
        m_loadFailed = true;
        m_lastError = reason;
        return false;
    };

    // Browsing reads thousands of scenes before the window shows: the
    // metadata of an archive laid out the usual way is read with two reads.
    // Anything unusual or damaged goes the general way below, which applies
    // the same rules (first exact "scene.json", size limit, CRC).
    // The fast reader opens without blocking and turns away everything but
    // regular files itself, so the check below is not paid twice.
    if (!keepContent) {
        static const QByteArray metadataName = kMetadataName.toUtf8();
        QByteArray json;
        FileIdentity identity;
        switch (ZipFastPath::readFileEntry(path, metadataName, kMaxMetadataBytes, &json, &identity)) {
        case ZipFastPath::Outcome::Found:
            if (!ReadMetadata(json))
                return fail(reasons::badMetadata());
            m_contentSource = path;
            m_contentIdentity = identity;
            return true;
        case ZipFastPath::Outcome::NotRegularFile:
            return fail(reasons::notAFile());
        case ZipFastPath::Outcome::Fallback:
            break;
        }
    }

    ArchiveFile archive;
    const ArchiveFile::Status status = archive.open(path);
    if (status != ArchiveFile::Status::Ok)
        return fail(reasons::forStatus(status));
    // An edit rewrites what it reads: only an archive with one reading and
    // entries apart. Browsing shows what the library reads.
    const ZipLayout::Layout &layout = archive.layout();
    if (keepContent && layout.verdict != ZipLayout::Verdict::Plain)
        return fail(reasons::forVerdict(layout.verdict));
    QuaZip zip(archive.device());
    zip.setAutoClose(false);
    if (!zip.open(QuaZip::mdUnzip))
        return fail(reasons::forVerdict(ZipLayout::Verdict::Unreadable));
    if (keepContent && zip.getEntriesCount() != layout.entries.size())
        return fail(reasons::forVerdict(ZipLayout::Verdict::Ambiguous));

    // The first entry named exactly "scene.json" (in central-directory order,
    // case-sensitive on every platform) is the metadata; later entries of
    // that name are content like any other.
    QByteArray json;
    bool found = false;
    int index = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile(), ++index) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            return fail(reasons::forVerdict(ZipLayout::Verdict::Unreadable));
        const bool isMetadata = !found && info.name == kMetadataName;
        if (keepContent) {
            // An edit could not be saved without losing this entry (the
            // metadata's own name is known to be whole).
            if (!isCarriable(info) || (!isMetadata && !readWhole(zip, info)))
                return fail(reasons::cannotCarry());
            if (!matches(info, layout.entries.at(index)))
                return fail(reasons::forVerdict(ZipLayout::Verdict::Ambiguous));
        }
        if (isMetadata) {
            found = true;
            if (!readCurrentEntry(zip, info, kMaxMetadataBytes, &json))
                return fail(reasons::badMetadata());
            if (!keepContent)
                break;
        }
    }
    if (zip.getZipError() != UNZ_OK)
        return fail(reasons::forVerdict(ZipLayout::Verdict::Unreadable));
    if (!found || !ReadMetadata(json))
        return fail(reasons::badMetadata());

    m_contentSource = path;
    m_contentIdentity = archive.identity();
    return true;
}

bool CScene::LoadedMetadata(SceneMetadata *metadata, FileIdentity *identity) const
{
    if (m_loadFailed || m_contentSource.isEmpty() || m_contentSource != m_path || !m_newEntries.isEmpty())
        return false;
    *metadata = CurrentMetadata();
    *identity = m_contentIdentity;
    return true;
}

void CScene::RestoreLoaded(const QString &path, const SceneMetadata &metadata, const FileIdentity &identity)
{
    Reset();
    m_path = path;
    m_lastError.clear();
    ApplyMetadata(metadata);
    m_contentSource = path;
    m_contentIdentity = identity;
}

bool CScene::Save(const QString &path, bool createNew)
{
    m_lastError.clear();
    const auto fail = [this](const QString &reason) {
        m_lastError = reason;
        return false;
    };
    // An edit of a file that could not be read would write an empty scene
    // plus the edit over it; the file is left as it is instead.
    if (m_loadFailed && !createNew)
        return fail(reasons::notLoaded());
    // The tags were cut when read; writing them would lose the rest.
    if (m_tagsTruncated)
        return fail(QStringLiteral("the scene has more tags than this program edits"));
    const QString source = (!createNew && QFileInfo::exists(path)) ? path : m_contentSource;

    // First pass over the archive to carry over: its metadata (for the keys
    // this version does not know), and whether every entry can be copied.
    // The archive is opened once: what is checked here is what is copied below.
    ArchiveFile archive;
    QuaZip sourceZip;
    JsonText::Members unknownKeys;
    bool sourceHasMetadata = false;
    bool zip64 = false;
    if (!source.isEmpty()) {
        const ArchiveFile::Status status = archive.open(source);
        if (status != ArchiveFile::Status::Ok)
            return fail(reasons::forStatus(status));
        // Metadata read from one file and content from another would be a
        // scene nobody made.
        if (source == m_contentSource && m_contentIdentity.valid && !archive.identity().sameAs(m_contentIdentity))
            return fail(reasons::changedSinceRead());
        const ZipLayout::Layout &layout = archive.layout();
        if (layout.verdict != ZipLayout::Verdict::Plain)
            return fail(reasons::forVerdict(layout.verdict));
        // The writer takes the archive comment as a C string.
        if (layout.comment.contains('\0'))
            return fail(reasons::cannotCarry());
        sourceZip.setIoDevice(archive.device());
        sourceZip.setAutoClose(false);
        if (!sourceZip.open(QuaZip::mdUnzip))
            return fail(reasons::forVerdict(ZipLayout::Verdict::Unreadable));
        if (sourceZip.getEntriesCount() != layout.entries.size())
            return fail(reasons::forVerdict(ZipLayout::Verdict::Ambiguous));
        int index = 0;
        for (bool more = sourceZip.goToFirstFile(); more; more = sourceZip.goToNextFile(), ++index) {
            QuaZipFileInfo64 info;
            if (!sourceZip.getCurrentFileInfo(&info))
                return fail(reasons::forVerdict(ZipLayout::Verdict::Unreadable));
            if (!sourceHasMetadata && info.name == kMetadataName) {
                sourceHasMetadata = true;
                QByteArray json;
                if (!isCarriable(info))
                    return fail(reasons::cannotCarry());
                if (!readCurrentEntry(sourceZip, info, kMaxMetadataBytes, &json)
                    || !SceneMetadataSchema::unknownMembers(json, &unknownKeys)) {
                    return fail(reasons::badMetadata());
                }
                continue;
            }
            if (!isCarriable(info) || !readWhole(sourceZip, info))
                return fail(reasons::cannotCarry());
            if (!matches(info, layout.entries.at(index)))
                return fail(reasons::forVerdict(ZipLayout::Verdict::Ambiguous));
            zip64 = zip64 || needsZip64(info);
        }
        if (sourceZip.getZipError() != UNZ_OK)
            return fail(reasons::forVerdict(ZipLayout::Verdict::Unreadable));
    }
    for (auto it = m_newEntries.constBegin(); it != m_newEntries.constEnd(); ++it) {
        if (it.key() != kMetadataName && !it.key().isEmpty() && !fitsTheFormat(it.key()))
            return fail(reasons::badEntryName());
    }
    // What this object read itself wins over what the file holds now.
    for (auto it = m_unknownKeys.constBegin(); it != m_unknownKeys.constEnd(); ++it)
        unknownKeys.insert(it.key(), it.value());
    QByteArray metadata;
    if (!MetadataJson(unknownKeys, &metadata))
        return false;
    const qint64 budget = WriteBudget(archive, metadata);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(reasons::cannotWrite(path));
    QuaZip target(&file);
    target.setAutoClose(false);   // the QSaveFile is committed, never just closed
    target.setUtf8Enabled(true);
    target.setZip64Enabled(zip64);
    if (!source.isEmpty() && !archive.layout().comment.isEmpty()) {
        // Latin-1 maps every byte to itself and back: the comment is written
        // as the bytes it was.
        target.setCommentCodec("ISO-8859-1");
        target.setComment(QString::fromLatin1(archive.layout().comment));
    }
    if (!target.open(QuaZip::mdCreate)) {
        file.cancelWriting();
        return fail(reasons::cannotWrite(path));
    }

    bool ok = true;
    bool overBudget = false;
    const auto withinBudget = [&](qint64 more) {
        overBudget = overBudget || file.pos() + more > budget;
        return !overBudget;
    };
    QSet<QString> replaced;
    if (!sourceHasMetadata)
        ok = writeEntry(target, kMetadataName, metadata);
    if (ok && !source.isEmpty()) {
        bool metadataDone = !sourceHasMetadata;
        int index = 0;
        for (bool more = sourceZip.goToFirstFile(); ok && more; more = sourceZip.goToNextFile(), ++index) {
            QuaZipFileInfo64 info;
            if (!sourceZip.getCurrentFileInfo(&info)) {
                ok = false;
                break;
            }
            const ZipLayout::Entry &entry = archive.layout().entries.at(index);
            if (!metadataDone && info.name == kMetadataName) {
                metadataDone = true;
                ok = writeEntry(target, kMetadataName, metadata);
            } else if (info.name != kMetadataName && m_newEntries.contains(info.name)
                       && !replaced.contains(info.name)) {
                replaced.insert(info.name);
                ok = writeEntry(target, info.name, m_newEntries.value(info.name));
            } else {
                ok = withinBudget(entry.end - entry.headerOffset + kEntryOverheadBytes)
                    && copyCurrentEntryRaw(sourceZip, target, info, entry, zip64);
            }
            ok = ok && withinBudget(0);
        }
        ok = ok && sourceZip.getZipError() == UNZ_OK;
    }
    for (auto it = m_newEntries.constBegin(); ok && it != m_newEntries.constEnd(); ++it) {
        if (it.key().isEmpty() || it.key() == kMetadataName || replaced.contains(it.key()))
            continue;
        ok = writeEntry(target, it.key(), it.value()) && withinBudget(0);
    }

    // With UTF-8 on, the writer would store the comment as UTF-8 rather
    // than through its codec; no entry is written after this point.
    target.setUtf8Enabled(false);
    target.close();
    ok = ok && target.getZipError() == ZIP_OK;
    // QSaveFile::commit() in Qt 5 can report success after a write failed on
    // a full disk; flush and look at the error before the rename.
    if (!ok || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return fail(overBudget ? reasons::overBudget() : reasons::cannotWrite(path));
    }
    // The file read from must still be there, unchanged, as read: else the
    // rename would replace someone else's newer file with a mix.
    if (!source.isEmpty())
        sourceZip.close();
    if (!source.isEmpty() && !archive.stillAt(source)) {
        file.cancelWriting();
        return fail(reasons::changedWhileSaving());
    }
    archive.close();   // before the rename: the source may be the file replaced
    FileIdentity written = FileIdentity::ofDescriptor(file.handle());
    if (!file.commit())
        return fail(reasons::cannotWrite(path));
    if (!written.valid)
        written = FileIdentity::ofPath(path);

    m_path = path;
    m_contentSource = path;
    m_contentIdentity = written;
    m_unknownKeys = unknownKeys;
    m_newEntries.clear();
    m_loadFailed = false;
    return true;
}

// What a rewrite may write at most: every byte of the archive read (its
// entries lie apart, so each is copied once), the new metadata and entries as
// deflate could grow them, and headers for each. A rewrite past that is
// copying something twice, and stops.
qint64 CScene::WriteBudget(const ArchiveFile &archive, const QByteArray &metadata) const
{
    const auto grown = [](qint64 bytes) { return bytes + bytes / 1000 + 64; };
    qint64 budget = archive.identity().valid ? archive.identity().size : 0;
    budget += grown(metadata.size()) + 2 * kMetadataName.size() + kEntryOverheadBytes;
    budget += qint64(archive.layout().entries.size()) * kEntryOverheadBytes;
    for (auto it = m_newEntries.constBegin(); it != m_newEntries.constEnd(); ++it)
        budget += grown(it.value().size()) + 2 * qint64(it.key().toUtf8().size()) + kEntryOverheadBytes;
    return budget;
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
