#include "CScene.h"

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
    return true;
}

// False, with m_lastError set, when the metadata would not read back whole.
bool CScene::MetadataJson(const JsonText::Members &unknownKeys, QByteArray *json)
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
    metadata.unknownKeys = unknownKeys;
    return metadata.toJson(json, &m_lastError);
}

bool CScene::Load(const QString &path, bool keepContent)
{
    Reset();
    m_path = path;
    m_lastError.clear();
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
    m_lastError.clear();
    // An edit of a file that could not be read would write an empty scene
    // plus the edit over it; the file is left as it is instead.
    if (m_loadFailed && !createNew)
        return false;
    // The tags were cut when read; writing them would lose the rest.
    if (m_tagsTruncated) {
        m_lastError = QStringLiteral("the scene has more tags than this program edits");
        return false;
    }
    const QString source = (!createNew && QFileInfo::exists(path)) ? path : m_contentSource;

    // First pass over the archive to carry over: its metadata (for the keys
    // this version does not know), and whether every entry can be copied.
    QuaZip sourceZip(source);
    JsonText::Members unknownKeys;
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
                if (!isCarriable(info) || !readCurrentEntry(sourceZip, info, kMaxMetadataBytes, &json)
                    || !SceneMetadataSchema::unknownMembers(json, &unknownKeys)) {
                    return false;
                }
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
    QByteArray metadata;
    if (!MetadataJson(unknownKeys, &metadata))
        return false;

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
