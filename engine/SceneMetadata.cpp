#include "SceneMetadata.h"

#include "EngineSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <limits>

const QString SceneMetadataSchema::kEntryName = QStringLiteral("scene.json");

namespace {

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

} // namespace

QJsonObject SceneMetadataSchema::withoutKnownKeys(QJsonObject object)
{
    for (const char *key : kKnownKeys)
        object.remove(QLatin1String(key));
    return object;
}

namespace {

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

bool SceneMetadata::parse(const QByteArray &json)
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

    this->id = id;
    this->name = name;
    this->author = author;
    this->description = description;
    this->license = license;
    this->tags = tags;
    typeFlags = flags;
    this->relicensing = relicensing;
    this->date = date;
    unknownKeys = object.size() == presentKeys ? QJsonObject() : SceneMetadataSchema::withoutKnownKeys(object);
    return true;
}

QByteArray SceneMetadata::toJson() const
{
    QJsonObject object = unknownKeys;
    object.insert(QLatin1String(kIdKey), id);
    object.insert(QLatin1String(kNameKey), name);
    object.insert(QLatin1String(kAuthorKey), author);
    object.insert(QLatin1String(kDescriptionKey), description);
    object.insert(QLatin1String(kLicenseKey), license);
    object.insert(QLatin1String(kTagsKey), QJsonArray::fromStringList(tags));
    object.insert(QLatin1String(kTypeFlagsKey), double(typeFlags));
    object.insert(QLatin1String(kRelicensingKey), relicensing);
    object.insert(QLatin1String(kDateKey), formatDate(date));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}
