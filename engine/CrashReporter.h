#pragma once

#include <QString>
#include <QtGlobal>

// Writes a short report when the process dies of a fatal signal (POSIX) or an
// unhandled exception (Windows): the signal or exception code and a
// backtrace, appended to "crashreport.txt" in the report directory. The
// previous handlers are restored on Uninstall and after the report, so the
// process still ends the way it would have.
namespace CrashReporter {

// A report file larger than MaxReportBytes is cut down by Install (never by
// the handler, which may only write) to its newest whole reports within its
// last KeptReportBytes, so reports of repeated crashes cannot fill the disk.
constexpr qint64 MaxReportBytes = 64 * 1024;
constexpr qint64 KeptReportBytes = 32 * 1024;

// Both are idempotent; Install after Uninstall installs again.
void Install();
void Uninstall();
bool IsInstalled();

// Where the report goes; the user directory once it is known. Until then,
// KELVRA_USER_DIR or the default user directory.
void SetReportDirectory(const QString &directory);
QString ReportPath();

} // namespace CrashReporter
