#pragma once

#include <QString>

// Writes a short report when the process dies of a fatal signal (POSIX) or an
// unhandled exception (Windows): the signal or exception code and a
// backtrace, appended to "crashreport.txt" in the report directory. The
// previous handlers are restored on Uninstall and after the report, so the
// process still ends the way it would have.
namespace CrashReporter {

// Both are idempotent; Install after Uninstall installs again.
void Install();
void Uninstall();
bool IsInstalled();

// Where the report goes; the user directory once it is known. Until then,
// KELVRA_USER_DIR or the default user directory.
void SetReportDirectory(const QString &directory);
QString ReportPath();

} // namespace CrashReporter
