#include "SceneMetadata.h"

#include "EngineSupport.h"
#include "JsonText.h"

#include <QJsonArray>
#include <QJsonObject>
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

namespace {

// The members of a text the reader has accepted, without the known keys.
bool splitUnknown(const QByteArray &json, JsonText::Members *members)
{
    JsonText::Members all;
    if (!JsonText::SplitObject(json, &all))
        return false;
    for (const char *key : kKnownKeys)
        all.remove(QLatin1String(key));
    *members = all;
    return true;
}

} // namespace

bool SceneMetadataSchema::unknownMembers(const QByteArray &json, JsonText::Members *members)
{
    QJsonObject object;
    return JsonText::ParseObject(json, kBounds, &object) && splitUnknown(json, members);
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

// A tag cut to the length a scene may carry, never inside a surrogate pair.
QString boundedTag(const QString &tag)
{
    if (tag.size() <= SceneMetadataSchema::kMaxTagLength)
        return tag;
    int length = SceneMetadataSchema::kMaxTagLength;
    if (tag.at(length - 1).isHighSurrogate())
        --length;
    return tag.left(length);
}

} // namespace

bool SceneMetadata::parse(const QByteArray &json)
{
    QJsonObject object;
    if (!JsonText::ParseObject(json, SceneMetadataSchema::kBounds, &object))
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
    bool tagsCut = false;
    const QJsonValue tagsValue = object.value(QLatin1String(kTagsKey));
    if (!tagsValue.isUndefined()) {
        ++presentKeys;
        if (!tagsValue.isArray())
            return false;
        const QJsonArray array = tagsValue.toArray();
        for (const QJsonValue &tag : array) {
            if (!tag.isString())
                return false;
            if (tags.size() == SceneMetadataSchema::kMaxTags) {
                tagsCut = true;
                continue;
            }
            const QString text = tag.toString();
            tags.append(boundedTag(text));
            tagsCut = tagsCut || tags.last().size() != text.size();
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

    // Only a file with keys of its own pays for finding them as written.
    JsonText::Members unknown;
    if (object.size() != presentKeys && !splitUnknown(json, &unknown))
        return false;

    this->id = id;
    this->name = name;
    this->author = author;
    this->description = description;
    this->license = license;
    this->tags = tags;
    tagsTruncated = tagsCut;
    typeFlags = flags;
    this->relicensing = relicensing;
    this->date = date;
    unknownKeys = unknown;
    return true;
}

bool SceneMetadata::toJson(QByteArray *json, QString *why) const
{
    const auto refuse = [why](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    // Tags beyond the bounds would read back cut, and the next edit of the
    // scene would be refused.
    if (tags.size() > SceneMetadataSchema::kMaxTags)
        return refuse(QStringLiteral("the scene would have more than %1 tags").arg(SceneMetadataSchema::kMaxTags));
    for (const QString &tag : tags) {
        if (tag.size() > SceneMetadataSchema::kMaxTagLength)
            return refuse(QStringLiteral("a tag would be longer than %1 characters")
                              .arg(SceneMetadataSchema::kMaxTagLength));
    }

    JsonText::Members members = unknownKeys;
    members.insert(QLatin1String(kIdKey), JsonText::ValueText(id));
    members.insert(QLatin1String(kNameKey), JsonText::ValueText(name));
    members.insert(QLatin1String(kAuthorKey), JsonText::ValueText(author));
    members.insert(QLatin1String(kDescriptionKey), JsonText::ValueText(description));
    members.insert(QLatin1String(kLicenseKey), JsonText::ValueText(license));
    members.insert(QLatin1String(kTagsKey), JsonText::ValueText(QJsonArray::fromStringList(tags)));
    members.insert(QLatin1String(kTypeFlagsKey), JsonText::ValueText(double(typeFlags)));
    members.insert(QLatin1String(kRelicensingKey), JsonText::ValueText(relicensing));
    members.insert(QLatin1String(kDateKey), JsonText::ValueText(formatDate(date)));
    const QByteArray text = JsonText::ObjectText(members);
    if (!JsonText::Fits(text, SceneMetadataSchema::kBounds))
        return refuse(QStringLiteral("the scene's metadata would be too large"));
    *json = text;
    return true;
}
