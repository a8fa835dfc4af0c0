#pragma once

#include <QByteArray>
#include <QJsonObject>
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
    QJsonObject unknownKeys;   // keys this version does not know, written back

    // Every known key is checked before anything is stored: a key of the
    // wrong type rejects the whole text and leaves *this as it was.
    bool parse(const QByteArray &json);
    // The JSON text of these fields plus unknownKeys.
    QByteArray toJson() const;
};

namespace SceneMetadataSchema {

// The entry of the archive that holds the metadata.
extern const QString kEntryName;

// Real metadata is a few kilobytes; readers refuse more than this.
constexpr qint64 kMaxBytes = 1024 * 1024;

// The object without the keys this version knows.
QJsonObject withoutKnownKeys(QJsonObject object);

} // namespace SceneMetadataSchema
