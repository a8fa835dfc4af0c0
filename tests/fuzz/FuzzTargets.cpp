#include "FuzzTargets.h"

#include "ArchiveFile.h"
#include "CCfg.h"
#include "CPlaylist.h"
#include "CScene.h"
#include "CSceneImageProvider.h"
#include "CatalogueIndexRecord.h"
#include "SharedStrings.h"
#include "ZipFastPath.h"
#include "ZipFormat.h"


#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

namespace FuzzTargets {

namespace {

// One scratch folder per process, emptied before every input: readers that
// keep a bad file aside would otherwise fill it.
QString freshScratch()
{
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/kelvra-fuzz-XXXXXX"));
    const QString path = root.path() + QStringLiteral("/work");
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An entry as stored, compared after a rewrite.
struct StoredEntry
{
    QString name;
    QString comment;
    int method = -1;
    quint32 crc = 0;
    quint64 size = 0;
    QByteArray compressed;

    bool operator==(const StoredEntry &o) const
    {
        return name == o.name && comment == o.comment && method == o.method && crc == o.crc
            && size == o.size && compressed == o.compressed;
    }
};

// Every entry but the first "scene.json" (the metadata a save rewrites).
// Inputs are small, so reading the raw bytes whole is bounded by the input.
bool contentEntries(const QString &path, QList<StoredEntry> *entries)
{
    entries->clear();
    // Through the engine's own opening, which shows the library an archive
    // behind a comment longer than its own search reaches.
    ArchiveFile archive;
    if (archive.open(path) != ArchiveFile::Status::Ok)
        return false;
    QuaZip zip(archive.device());
    zip.setAutoClose(false);
    if (!zip.open(QuaZip::mdUnzip))
        return false;
    bool metadataSeen = false;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            return false;
        if (!metadataSeen && info.name == QLatin1String("scene.json")) {
            metadataSeen = true;
            continue;
        }
        StoredEntry entry;
        entry.name = info.name;
        entry.comment = info.comment;
        entry.crc = info.crc;
        entry.size = info.uncompressedSize;
        QuaZipFile file(&zip);
        int level = 0;
        if (!file.open(QIODevice::ReadOnly, &entry.method, &level, true))
            return false;
        entry.compressed = file.read(qint64(16) * 1024 * 1024);
        file.close();
        entries->append(entry);
    }
    return zip.getZipError() == UNZ_OK;
}

// The entry names of an archive as stored, byte for byte, without the first
// "scene.json"; false when the archive is not laid out plainly enough to
// walk here (a prefix, zip64, a damaged directory). QuaZip only shows names
// decoded, so a name rewritten as other bytes would pass unnoticed otherwise.
bool rawContentNames(const QByteArray &archive, QList<QByteArray> *names)
{
    using namespace ZipFormat;
    names->clear();
    const char *bytes = archive.constData();
    const qint64 size = archive.size();
    qint64 end = -1;
    for (qint64 at = size - kEndRecordBytes; at >= 0 && at >= size - kEndRecordBytes - kMaxCommentBytes; --at) {
        if (le32(bytes + at) == kEndRecordSignature && at + kEndRecordBytes + le16(bytes + at + 20) == size) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return false;
    const qint64 count = le16(bytes + end + 10);
    qint64 at = le32(bytes + end + 16);
    bool metadataSeen = false;
    for (qint64 i = 0; i < count; ++i) {
        if (at < 0 || at + kCentralHeaderBytes > end || le32(bytes + at) != kCentralHeaderSignature)
            return false;
        const qint64 nameLength = le16(bytes + at + 28);
        const qint64 next = at + kCentralHeaderBytes + nameLength + le16(bytes + at + 30) + le16(bytes + at + 32);
        if (next > end)
            return false;
        const QByteArray name = archive.mid(int(at + kCentralHeaderBytes), int(nameLength));
        if (!metadataSeen && name == "scene.json")
            metadataSeen = true;
        else
            names->append(name);
        at = next;
    }
    return true;
}

QString describeEntries(const QList<PlaylistEntry *> &list)
{
    QString text;
    for (const PlaylistEntry *entry : list)
        text += QStringLiteral("[%1|%2|%3]").arg(entry->sceneId, entry->scenePath).arg(entry->typeFlags);
    return text;
}

QString describePlaylist(const CPlaylist &playlist)
{
    return describeEntries(playlist.backgroundEntries) + QLatin1Char('/')
        + describeEntries(playlist.foregroundEntries) + QLatin1Char('/')
        + describeEntries(playlist.postprocessingEntries) + QLatin1Char('/')
        + describeEntries(playlist.transitionEntries) + QLatin1Char('/')
        + describeEntries(playlist.standaloneEntries);
}

QString describeConfig(const CCfg &c)
{
    return QStringLiteral("%1|%2%3%4%5%6%7%8%9")
               .arg(c.playlistToRun)
               .arg(c.sendUsageStats)
               .arg(c.checkForNewVersion)
               .arg(c.randNextScene)
               .arg(c.layerScenesInVR)
               .arg(c.preferOpenVR)
               .arg(c.captureSound)
               .arg(c.captureRecordingDevice)
               .arg(c.enablePreloader)
        + QStringLiteral("|%1|%2|%3|%4|%5|%6|%7|%8|%9")
              .arg(c.maxSoundCaptureSilence)
              .arg(double(c.sceneChangeSilenceTime), 0, 'g', 9)
              .arg(double(c.sceneChangeSilenceCooldownTime), 0, 'g', 9)
              .arg(c.minSceneTime)
              .arg(c.maxSceneTime)
              .arg(double(c.transitionTime), 0, 'g', 9)
              .arg(double(c.transitionFromScale), 0, 'g', 9)
              .arg(double(c.transitionToScale), 0, 'g', 9)
              .arg(double(c.postProcessingProbability), 0, 'g', 9)
        + QStringLiteral("|%1|%2|%3")
              .arg(c.renderTargetWidth, 0, 'g', 17)
              .arg(c.renderTargetHeight, 0, 'g', 17)
              .arg(double(c.renderTargetSizeVR), 0, 'g', 9);
}

// A file a reader could not use is either where it was, unchanged, or moved
// aside whole.
QString keptOrSetAside(const QString &path, const QString &aside, const QByteArray &bytes)
{
    if (aside.isEmpty())
        return readFile(path) == bytes ? QString() : QStringLiteral("loading changed the file");
    if (QFileInfo::exists(path) || readFile(aside) != bytes)
        return QStringLiteral("a file set aside was not kept whole");
    return QString();
}

// Whether a key the reader does not own (not in known) has another value,
// as Qt reads it, or is missing after a save.
bool otherKeysChanged(const QByteArray &before, const QByteArray &after, const QStringList &known)
{
    const QJsonObject original = QJsonDocument::fromJson(before).object();
    const QJsonObject saved = QJsonDocument::fromJson(after).object();
    for (auto it = original.constBegin(); it != original.constEnd(); ++it) {
        if (!known.contains(it.key()) && saved.value(it.key()) != it.value())
            return true;
    }
    return false;
}

QStringList configKeys()
{
    return {"playlistToRun", "sendUsageStats", "checkForNewVersion", "randNextScene",
            "layerScenesInVR", "preferOpenVR", "captureSound", "captureRecordingDevice",
            "maxSoundCaptureSilence", "sceneChangeSilenceTime", "sceneChangeSilenceCooldownTime",
            "minSceneTime", "maxSceneTime", "transitionTime", "transitionFromScale",
            "transitionToScale", "postProcessingProbability", "enablePreloader",
            "renderTargetWidth", "renderTargetHeight", "renderTargetSizeVR"};
}

} // namespace

QString sceneMetadata(const QByteArray &bytes)
{
    const QString path = freshScratch() + QStringLiteral("/input.kvc");
    if (!writeFile(path, bytes))
        return QStringLiteral("scratch file not written");
    CScene scene;
    const bool loaded = scene.Load(path, false);
    if (scene.GetPath() != path)
        return QStringLiteral("the scene forgot its path");
    if (!loaded && (!scene.GetName().isEmpty() || !scene.tagList.isEmpty() || scene.typeFlags != 0))
        return QStringLiteral("a failed load left half a scene");
    return QString();
}

QString sceneFull(const QByteArray &bytes)
{
    const QString path = freshScratch() + QStringLiteral("/input.kvc");
    if (!writeFile(path, bytes))
        return QStringLiteral("scratch file not written");
    CScene scene;
    if (!scene.Load(path, true))
        return QString();
    // Browsing and editing show the same scene.
    CScene browsed;
    if (!browsed.Load(path, false))
        return QStringLiteral("a scene that loads for editing does not load for browsing");
    if (browsed.GetId() != scene.GetId() || browsed.GetName() != scene.GetName() || browsed.tagList != scene.tagList
        || browsed.typeFlags != scene.typeFlags)
        return QStringLiteral("browsing and editing read different metadata");

    QList<StoredEntry> before;
    const bool listed = contentEntries(path, &before);
    const QString tag = QStringLiteral("fuzz-edit");
    scene.tagList.append(tag);
    if (!scene.Save(path, false)) {
        if (readFile(path) != bytes)
            return QStringLiteral("a failed save changed the file");
        return QString();
    }

    CScene reread;
    if (!reread.Load(path, true))
        return QStringLiteral("a saved edit does not load again");
    if (!reread.tagList.contains(tag))
        return QStringLiteral("a saved edit lost the edit");
    QList<StoredEntry> after;
    if (!contentEntries(path, &after))
        return QStringLiteral("a saved edit cannot be listed");
    if (listed && before != after)
        return QStringLiteral("a saved edit changed the other entries");
    QList<QByteArray> namesBefore;
    QList<QByteArray> namesAfter;
    if (rawContentNames(bytes, &namesBefore) && rawContentNames(readFile(path), &namesAfter)
        && namesBefore != namesAfter)
        return QStringLiteral("a saved edit stored other entry names");
    return QString();
}

QString playlist(const QByteArray &bytes)
{
    const QString dir = freshScratch();
    const QString path = dir + QStringLiteral("/input.kvp");
    if (!writeFile(path, bytes))
        return QStringLiteral("scratch file not written");
    CPlaylist first;
    first.Load(path);
    if (const QString problem = keptOrSetAside(path, first.SetAsidePath(), bytes); !problem.isEmpty())
        return problem;
    const QString written = dir + QStringLiteral("/written.kvp");
    if (!first.Save(written))
        return QFileInfo::exists(written) ? QStringLiteral("a refused save wrote a file") : QString();
    CPlaylist second;
    if (!second.Load(written))
        return QStringLiteral("a saved playlist does not load again");
    if (describePlaylist(first) != describePlaylist(second))
        return QStringLiteral("a saved playlist changed its entries");
    if (first.SetAsidePath().isEmpty()
        && otherKeysChanged(bytes, readFile(written),
                            {"background", "foreground", "postprocessing", "transition", "standalone"}))
        return QStringLiteral("a saved playlist changed the keys it does not know");
    return QString();
}

QString config(const QByteArray &bytes)
{
    const QString dir = freshScratch();
    const QString path = dir + QStringLiteral("/config.json");
    if (!writeFile(path, bytes))
        return QStringLiteral("scratch file not written");
    CCfg first;
    const bool loaded = first.Load(path);
    const QString written = dir + QStringLiteral("/written.json");
    if (!first.Save(written))
        return QFileInfo::exists(written) ? QStringLiteral("a refused save wrote a file") : QString();
    CCfg second;
    if (!second.Load(written))
        return QStringLiteral("a saved configuration does not load again");
    if (describeConfig(first) != describeConfig(second))
        return QStringLiteral("a saved configuration changed its values");
    if (loaded && otherKeysChanged(bytes, readFile(written), configKeys()))
        return QStringLiteral("a saved configuration changed the keys it does not know");
    return QString();
}

QString thumbnail(const QByteArray &bytes)
{
    const QString path = freshScratch() + QStringLiteral("/input.kvc");
    if (!writeFile(path, bytes))
        return QStringLiteral("scratch file not written");
    CSceneImageProvider provider;
    const QSize untouched(-7, -7);
    QSize size = untouched;
    const QImage image = provider.requestImage(path + QStringLiteral("#thumbnail.jpg"), &size, QSize(64, 64));
    if (image.isNull())
        return (size == untouched || size == QSize(0, 0)) ? QString() : QStringLiteral("a null image with a size");
    if (size != image.size())
        return QStringLiteral("the reported size is not the image's");
    if (image.width() > CSceneImageProvider::maxImageSide || image.height() > CSceneImageProvider::maxImageSide
        || qint64(image.width()) * image.height() > CSceneImageProvider::maxImagePixels)
        return QStringLiteral("an image beyond the limits was decoded");
    if (qMax(image.width(), image.height()) > CSceneImageProvider::maxOutputSide)
        return QStringLiteral("a thumbnail larger than any view is shown");
    return QString();
}

QString zipFastPath(const QByteArray &bytes)
{
    const qint64 limit = 1024 * 1024;
    // The library's view, read from a file as the program reads scenes (on a
    // QBuffer QuaZip refuses to seek past the end, which a file allows, and so
    // gives up on archives it reads from disk): each name it lists, first
    // entry of that name, with its bytes (null when it cannot read them).
    const QString path = freshScratch() + QStringLiteral("/input.zip");
    if (!writeFile(path, bytes))
        return QStringLiteral("scratch file not written");
    QList<QByteArray> listed;
    QList<QByteArray> contents;
    QuaZip zip(path);
    const bool opened = zip.open(QuaZip::mdUnzip);
    for (bool more = opened && zip.goToFirstFile(); more && listed.size() < 64; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            break;
        const QByteArray name = info.name.toUtf8();
        if (listed.contains(name))
            continue;
        QByteArray content;
        QuaZipFile file(&zip);
        // Other methods and encrypted entries the fast reader leaves alone
        // (and QuaZip can spin on a method it does not know).
        const bool readable = (info.method == 0 || info.method == 8) && !(info.flags & 1);
        if (readable && file.open(QIODevice::ReadOnly)) {
            content = file.read(limit + 1);
            file.close();
            if (file.getZipError() != UNZ_OK)
                content = QByteArray();
        }
        listed.append(name);
        contents.append(content);
    }

    // Every name the library lists, and the two the program asks for: what
    // the fast reader finds, the library reads the same. A decoy directory
    // that only one of them sees shows up as different bytes or names.
    QList<QByteArray> asked = listed;
    for (const QByteArray &name : {QByteArrayLiteral("scene.json"), QByteArrayLiteral("thumbnail.jpg")}) {
        if (!asked.contains(name))
            asked.append(name);
    }
    for (const QByteArray &entry : asked) {
        QByteArray fast;
        if (ZipFastPath::readBufferEntry(bytes, entry, limit, &fast) != ZipFastPath::Outcome::Found)
            continue;
        if (fast.size() > limit)
            return QStringLiteral("the fast reader went past its limit");
        if (!opened)
            return QStringLiteral("the fast reader read an archive the library cannot open");
        const int index = listed.indexOf(entry);
        if (index < 0)
            return QStringLiteral("the fast reader found an entry the library does not list");
        if (contents.at(index).isNull())
            return QStringLiteral("the fast reader read an entry the library cannot read");
        if (contents.at(index) != fast)
            return QStringLiteral("the fast reader and the library read different bytes");
    }
    return QString();
}

namespace {

bool sameMetadata(const SceneMetadata &a, const SceneMetadata &b)
{
    return a.id == b.id && a.name == b.name && a.author == b.author && a.description == b.description
        && a.license == b.license && a.tags == b.tags && a.typeFlags == b.typeFlags && a.relicensing == b.relicensing
        && a.tagsTruncated == b.tagsTruncated && a.date.year == b.date.year && a.date.month == b.date.month
        && a.date.day == b.date.day && a.date.hour == b.date.hour && a.date.minute == b.date.minute
        && a.date.second == b.date.second && a.unknownKeys == b.unknownKeys;
}

bool sameIdentity(const FileIdentity &a, const FileIdentity &b)
{
    return a.valid == b.valid && a.device == b.device && a.inode == b.inode && a.size == b.size
        && a.modifiedNs == b.modifiedNs && a.changedNs == b.changedNs;
}

} // namespace

QString indexRecord(const QByteArray &bytes)
{
    FileIdentity identity;
    SceneMetadata metadata;
    if (!CatalogueIndexRecord::decode(bytes, &identity, &metadata))
        return QString();
    if (metadata.tags.size() > SceneMetadataSchema::kMaxTags)
        return QStringLiteral("a record gave more tags than a scene may carry");
    for (const QString &tag : qAsConst(metadata.tags)) {
        if (tag.size() > SceneMetadataSchema::kMaxTagLength)
            return QStringLiteral("a record gave a tag longer than a scene may carry");
    }
    SharedStrings strings;
    FileIdentity pooledIdentity;
    SceneMetadata pooled;
    if (!CatalogueIndexRecord::decode(bytes, &pooledIdentity, &pooled, &strings)
        || !sameMetadata(pooled, metadata) || !sameIdentity(pooledIdentity, identity))
        return QStringLiteral("the record decodes differently through the string pool");
    FileIdentity againIdentity;
    SceneMetadata again;
    if (!CatalogueIndexRecord::decode(CatalogueIndexRecord::encode(identity, metadata), &againIdentity, &again)
        || !sameMetadata(again, metadata) || !sameIdentity(againIdentity, identity))
        return QStringLiteral("the decoded record does not survive encoding");
    return QString();
}

QStringList names()
{
    return {QStringLiteral("scene_metadata"), QStringLiteral("scene_full"), QStringLiteral("playlist"),
            QStringLiteral("config"), QStringLiteral("thumbnail"), QStringLiteral("zip_fastpath"),
            QStringLiteral("index_record")};
}

QString corpusFolder(const QString &name)
{
    if (name.startsWith(QLatin1String("scene_")) || name == QLatin1String("zip_fastpath"))
        return QStringLiteral("scene");
    return name;
}

QString run(const QString &name, const QByteArray &bytes)
{
    if (name == QLatin1String("scene_metadata"))
        return sceneMetadata(bytes);
    if (name == QLatin1String("scene_full"))
        return sceneFull(bytes);
    if (name == QLatin1String("playlist"))
        return playlist(bytes);
    if (name == QLatin1String("config"))
        return config(bytes);
    if (name == QLatin1String("thumbnail"))
        return thumbnail(bytes);
    if (name == QLatin1String("zip_fastpath"))
        return zipFastPath(bytes);
    if (name == QLatin1String("index_record"))
        return indexRecord(bytes);
    return QStringLiteral("no fuzz target named %1").arg(name);
}

} // namespace FuzzTargets
