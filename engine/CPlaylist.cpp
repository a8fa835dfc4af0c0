#include "CPlaylist.h"

#include "EngineSupport.h"
#include "JsonText.h"
#include "KelvraFiles.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <limits>

namespace {

// What the reader takes, and so all the writer may write. Thousands of
// scenes are a few hundred kilobytes; this is far beyond any real playlist
// and still a bounded allocation.
constexpr JsonText::Bounds kPlaylistBounds = {16 * 1024 * 1024, JsonText::kMaxDepth};

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
    m_otherKeys.clear();
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
    m_setAsidePath.clear();
    // A file that is not a playlist loads empty, and the next save would
    // write that emptiness over it: it is moved aside first.
    const auto setAside = [this, &path](const char *why) {
        m_setAsidePath = EngineSupport::KeepAside(QStringLiteral("Playlist"), path, QLatin1String(why));
        return false;
    };

    QByteArray data;
    switch (KelvraFiles::ReadBounded(path, kPlaylistBounds.maxBytes, &data)) {
    case KelvraFiles::ReadStatus::Missing:
        return false;
    case KelvraFiles::ReadStatus::Failed:
        EngineSupport::LogLine(true, QStringLiteral("Playlist %1 could not be read").arg(path));
        return false;
    case KelvraFiles::ReadStatus::TooLarge:
        return setAside("is too large");
    case KelvraFiles::ReadStatus::Ok:
        break;
    }
    QJsonObject object;
    JsonText::Members members;
    if (!JsonText::ParseObject(data, kPlaylistBounds, &object) || !JsonText::SplitObject(data, &members))
        return setAside("cannot be parsed");

    for (const EntryList &list : kLists) {
        const QJsonValue value = object.value(QLatin1String(list.key));
        if (!(value.isArray() || value.isUndefined()))
            return setAside("is not a playlist");
    }

    // A malformed entry is left out and the rest kept: one damaged line must
    // not empty the playlist, which the next save would then write back.
    bool everyEntryRead = true;
    for (const EntryList &list : kLists) {
        const QJsonArray array = object.value(QLatin1String(list.key)).toArray();
        members.remove(QLatin1String(list.key));
        for (const QJsonValue &value : array) {
            if (PlaylistEntry *entry = readEntry(value))
                (this->*list.member).append(entry);
            else
                everyEntryRead = false;
        }
    }
    m_otherKeys = members;
    return everyEntryRead;
}

bool CPlaylist::Save(const QString &path) const
{
    JsonText::Members members = m_otherKeys;
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
        members.insert(QLatin1String(list.key), JsonText::ValueText(array));
    }
    // A file the next load would set aside must not replace a good one.
    const QByteArray text = JsonText::ObjectText(members);
    if (!JsonText::Fits(text, kPlaylistBounds)) {
        EngineSupport::LogLine(true, QStringLiteral("Playlist %1 not written: it would be too large").arg(path));
        return false;
    }
    return KelvraFiles::WriteAtomically(path, text);
}
