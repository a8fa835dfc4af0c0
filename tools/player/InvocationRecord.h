#pragma once

#include <QString>
#include <QStringList>

// The record of the player's starts: one line per start in
// "player-invocations.txt" in the user directory, so that tests can check
// what the configuration program really started.
//
// Line format: every argument (without the program name) as a JSON string
// literal, UTF-8, separated by single blanks, ended by "\n". For example
//     "-f" "--scene" "[apppath]scenes/My Scene.kvc"
// A JSON string literal holds no raw line break and no unescaped quote, so
// arguments with blanks, quotes or line breaks stay distinguishable.
namespace InvocationRecord {

inline const char kFileName[] = "player-invocations.txt";

// The line for arguments, without the final newline.
QString FormatLine(const QStringList &arguments);
// The arguments of a line made by FormatLine; false (and an empty list) when
// the line is not in that format.
bool ParseLine(const QString &line, QStringList *arguments);

// Appends the line for arguments to kFileName in directory, creating the
// directory when needed. The line goes out in one write to a file opened for
// appending, so lines of players started at the same time do not interleave.
bool Append(const QString &directory, const QStringList &arguments);

} // namespace InvocationRecord
