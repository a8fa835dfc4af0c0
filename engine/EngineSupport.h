#pragma once

#include <QString>

// Small pieces the engine's classes share.
namespace EngineSupport {

// The per-user data directory when KELVRA_USER_DIR does not name another:
// the roaming profile on Windows (so scenes and playlists follow the user),
// the generic data location elsewhere, each with "/Kelvra".
QString DefaultUserDirectory();

// One engine line through the process-wide log; nothing without a log.
void LogLine(bool isError, const QString &text);

} // namespace EngineSupport
