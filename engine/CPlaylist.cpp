#include "CPlaylist.h"

#include "EngineSupport.h"
#include "KelvraFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <limits>

namespace {

// Thousands of scenes are a few hundred kilobytes; this is far beyond any
// real playlist and still a bounded allocation.
constexpr qint64 kMaxPlaylistBytes = 16 * 1024 * 1024;

const char kIdKey[] = "id";
const char kPathKey[] = "path";
const char kTypeFlagsKey[] = "typeFlags";

struct EntryList
{
    const char *key;
    QList<PlaylistEntry *> CPlaylist::*member;
};

// File order of the lists.
const EntryList kLists[] = {
    {"background", &CPlaylist::backgroundEntries},
    {"foreground", &CPlaylist::foregroundEntries},
    {"postprocessing", &CPlaylist::postprocessingEntries},
    {"transition", &CPlaylist::transitionEntries},
    {"standalone", &CPlaylist::standaloneEntries},
};

bool readTypeFlags(const QJsonValue &value, int *flags)
{
    if (value.isUndefined()) {
        *flags = 0;
        return true;
    }
    // Scene flag words are unsigned 32-bit; they are kept as the same bits.
    if (!EngineSupport::IsWholeNumberIn(value, std::numeric_limits<qint32>::min(),
                                        std::numeric_limits<quint32>::max())) {
        return false;
    }
    const double number = value.toDouble();
    *flags = number < 0 ? static_cast<int>(number)
                        : static_cast<int>(static_cast<quint32>(number));
    return true;
}

// One entry of the file; null when it is not a well-formed entry.
PlaylistEntry *readEntry(const QJsonValue &value)
{
    if (!value.isObject())
        return nullptr;
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(QLatin1String(kIdKey));
    const QJsonValue path = object.value(QLatin1String(kPathKey));
    int flags = 0;
    if (!(id.isString() || id.isUndefined()) || !path.isString()
        || !readTypeFlags(object.value(QLatin1String(kTypeFlagsKey)), &flags)) {
        return nullptr;
    }
    auto *entry = new PlaylistEntry;
    entry->sceneId = id.toString();
    entry->scenePath = path.toString();
    entry->typeFlags = flags;
    return entry;
}

} // namespace

CPlaylist::CPlaylist() = default;

CPlaylist::~CPlaylist()
{
    clear();
}

void CPlaylist::clear()
{
    for (const EntryList &list : kLists) {
        qDeleteAll(this->*list.member);
        (this->*list.member).clear();
    }
    m_otherKeys = QJsonObject();
}

int CPlaylist::totalScenes() const
{
    int total = 0;
    for (const EntryList &list : kLists)
        total += (this->*list.member).size();
    return total;
}

bool CPlaylist::Load(const QString &path)
{
    clear();
    QByteArray data;
    if (KelvraFiles::ReadBounded(path, kMaxPlaylistBytes, &data) != KelvraFiles::ReadStatus::Ok)
        return false;
    QJsonObject object;
    if (!EngineSupport::ParseJsonObject(data, &object))
        return false;

    for (const EntryList &list : kLists) {
        const QJsonValue value = object.value(QLatin1String(list.key));
        if (!(value.isArray() || value.isUndefined()))
            return false;   // not a playlist: leave it empty
    }

    // A malformed entry is left out and the rest kept: one damaged line must
    // not empty the playlist, which the next save would then write back.
    bool everyEntryRead = true;
    for (const EntryList &list : kLists) {
        const QJsonArray array = object.take(QLatin1String(list.key)).toArray();
        for (const QJsonValue &value : array) {
            if (PlaylistEntry *entry = readEntry(value))
                (this->*list.member).append(entry);
            else
                everyEntryRead = false;
        }
    }
    m_otherKeys = object;
    return everyEntryRead;
}

bool CPlaylist::Save(const QString &path) const
{
    QJsonObject object = m_otherKeys;
    for (const EntryList &list : kLists) {
        QJsonArray array;
        for (const PlaylistEntry *entry : this->*list.member) {
            QJsonObject item;
            item.insert(QLatin1String(kIdKey), entry->sceneId);
            item.insert(QLatin1String(kPathKey), entry->scenePath);
            item.insert(QLatin1String(kTypeFlagsKey),
                        static_cast<double>(static_cast<quint32>(entry->typeFlags)));
            array.append(item);
        }
        object.insert(QLatin1String(list.key), array);
    }
    return KelvraFiles::WriteAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented));
}
