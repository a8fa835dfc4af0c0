#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QtGlobal>

class QJsonObject;
class QJsonValue;

// The JSON text of the engine's files: the bounds a reader takes, checked by
// the readers and again by the writers before anything reaches the disk, and
// the members of an object kept as the text the file wrote. Qt's JSON holds
// every number as a double, so a member this version does not understand
// (a 64-bit identifier, a decimal with more digits than a double keeps) would
// otherwise be written back rounded.
namespace JsonText {

// Members of an object by key; each value is compact JSON text, numbers
// exactly as the file wrote them.
using Members = QMap<QString, QByteArray>;

// What a reader of one format takes. The top-level object is depth 1.
struct Bounds
{
    qint64 maxBytes;
    int maxDepth;
};

// Real files nest three or four deep. This bound is ours and lies below the
// 1024 at which Qt's parser gives up, so what a reader accepts does not
// depend on the parser's own limit.
constexpr int kMaxDepth = 1000;

// Whether text is within bounds: size, then nesting (one pass, no recursion).
bool Fits(const QByteArray &text, const Bounds &bounds);

// The object a text holds, for a text within bounds that Qt parses as an
// object; false otherwise (*object is then left as it was).
bool ParseObject(const QByteArray &text, const Bounds &bounds, QJsonObject *object);

// The members of text, which ParseObject has accepted. A key given twice
// keeps its last value, as QJsonDocument does. False (with *members
// untouched) when text is not such an object.
bool SplitObject(const QByteArray &text, Members *members);

// A value as compact JSON text, written the way QJsonDocument writes it.
QByteArray ValueText(const QJsonValue &value);

// The compact JSON text of an object with these members, in key order.
QByteArray ObjectText(const Members &members);

} // namespace JsonText
