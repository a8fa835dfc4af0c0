#pragma once

#include "JsonText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Calendar date and time of a scene, no time zone; all zero when unknown.
struct SceneDate
{
    quint16 year = 0;
    quint16 month = 0;
    quint16 day = 0;
    quint16 hour = 0;
    quint16 minute = 0;
    quint16 second = 0;
};

// What a scene's "scene.json" says, checked against its schema: the keys
// this version knows, typed, and every other key kept for the next write.
struct SceneMetadata
{
    QString id;
    QString name;
    QString author;
    QString description;
    QString license;
    QStringList tags;
    quint32 typeFlags = 0;
    bool relicensing = true;
    SceneDate date;
    JsonText::Members unknownKeys;   // keys this version does not know, written back as written
    // The file held more or longer tags than a scene may carry: tags holds
    // the first kMaxTags, each cut to kMaxTagLength, and is not the whole list.
    bool tagsTruncated = false;

    // Every known key is checked before anything is stored: a key of the
    // wrong type rejects the whole text and leaves *this as it was.
    bool parse(const QByteArray &json);
    // The compact JSON text of these fields plus unknownKeys. False, with
    // *json untouched, when parse would not take it back whole (too many or
    // too long tags, or beyond kBounds); *why then says which.
    bool toJson(QByteArray *json, QString *why = nullptr) const;
};

namespace SceneMetadataSchema {

// The entry of the archive that holds the metadata.
extern const QString kEntryName;

// What a reader of the metadata takes, and so all a writer may write. Real
// metadata is a few kilobytes.
constexpr JsonText::Bounds kBounds = {1024 * 1024, JsonText::kMaxDepth};
constexpr qint64 kMaxBytes = kBounds.maxBytes;

// The tags a scene may carry. Real scenes have a handful of short tags; the
// browser scores and filters every tag of every scene at start-up, so a
// hostile scene with tens of thousands would stall it for seconds and
// gigabytes. A scene beyond these bounds is browsed with its tags cut to them.
constexpr int kMaxTags = 256;
constexpr int kMaxTagLength = 256;   // UTF-16 code units

// The members of a metadata text this version does not know, as written;
// false for a text the reader refuses.
bool unknownMembers(const QByteArray &json, JsonText::Members *members);

} // namespace SceneMetadataSchema
