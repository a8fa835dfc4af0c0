#pragma once

#include <QString>
#include <QtGlobal>

class CAppTypeQt;

// The command-line import of a scene package: the file named by "-i" is
// copied into the user's "scenes/Imported" folder as "<name>.kvc", where the
// scene scan at start-up finds it.
enum class ImportOutcome {
    Continue,  // open the configuration window as usual
    EndRun,    // the run ends here with exit code 0
};

enum class CopyOutcome {
    Copied,
    AlreadyThere,     // a file of that name was kept unchanged
    Missing,          // nothing at the path
    NotARegularFile,  // a directory, pipe, device or socket
    TooLarge,         // more than maxPackageBytes
    Failed,           // unreadable source or unwritable target; nothing left behind
};

// The largest package copied. Scene packages are a few megabytes; this only
// keeps a mistaken file from filling the user's disk.
constexpr qint64 maxPackageBytes = qint64(1) << 30;

// Copies the package into "[userpath]scenes/Imported" (created when missing)
// as importedScenePath(). Only a regular file of at most maxPackageBytes is
// read, and it is checked before it is opened, so a pipe or device can
// neither block nor be copied. The copy is written under a temporary name and
// renamed into place, so a scene scan never sees half a package; it gets the
// user's usual permissions for new files, not the source's. An existing file
// of that name is never replaced.
CopyOutcome copyScenePackage(const CAppTypeQt &app, const QString &packagePath);

// What to tell the user about an outcome, naming the package as given; empty
// for the outcomes that are not reported (copied, already there, failed).
QString copyOutcomeMessage(CopyOutcome outcome, const QString &packagePath);

// The import at start-up:
// - Missing, not a regular file or too large: shows the outcome's message
//   (titled "Kelvra"), copies nothing, ends the run.
// - Otherwise copies as above; a failed copy or an existing file of that name
//   is not reported.
// - Then, if the player's window (class "KVClass") is open, brings it to the
//   front and ends the run; otherwise the run continues.
ImportOutcome importScenePackage(const CAppTypeQt &app, const QString &packagePath);

// The copy's path: "<importDir>/<complete base name of packagePath>.kvc".
QString importedScenePath(const QString &importDir, const QString &packagePath);
