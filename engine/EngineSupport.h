#pragma once

#include <QString>

class QJsonObject;
class QJsonValue;

// Small pieces the engine's classes share.
namespace EngineSupport {

// The per-user data directory when KELVRA_USER_DIR does not name another:
// the roaming profile on Windows (so scenes and playlists follow the user),
// the generic data location elsewhere, each with "/Kelvra".
QString DefaultUserDirectory();

// One engine line through the process-wide log; nothing without a log.
void LogLine(bool isError, const QString &text);

// The object a JSON text holds; false for text that does not parse or holds
// anything but an object (object is then left as it was).
bool ParseJsonObject(const QByteArray &json, QJsonObject *object);

// Whether value is a whole JSON number from lowest to highest inclusive:
// the engine's integer fields reject fractions, infinities and values out of
// their type's range rather than rounding or wrapping them.
bool IsWholeNumberIn(const QJsonValue &value, double lowest, double highest);

// Moves a file the engine cannot use out of the way (KelvraFiles::AsideName)
// so that the next save cannot overwrite what the user may still want to
// recover, and logs it as "<what> <path> <why>; kept as <aside>". Returns
// where the file went; empty when it could not be moved.
QString KeepAside(const QString &what, const QString &path, const QString &why);

} // namespace EngineSupport
