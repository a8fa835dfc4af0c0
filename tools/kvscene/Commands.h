#pragma once

#include <QStringList>

// The scene tool's commands. Each takes the arguments after its own name
// (program name first, as QCommandLineParser expects) and returns the exit
// code: 0 done, 1 a file could not be read or written, 2 a usage error.
namespace Commands {

enum ExitCode { Done = 0, FileError = 1, UsageError = 2 };

int Create(const QStringList &arguments);
int Show(const QStringList &arguments);
int Tag(const QStringList &arguments);   // "add FILE TAG" or "remove FILE TAG"

QString Usage();

} // namespace Commands
