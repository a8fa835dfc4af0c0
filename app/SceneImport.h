#pragma once

#include <QString>

class CAppTypeQt;

// The command-line import of a scene package: the file named by "-i" is
// copied into the user's "scenes/Imported" folder as "<name>.kvc", where the
// scene scan at start-up finds it.
enum class ImportOutcome {
    Continue,  // open the configuration window as usual
    EndRun,    // the run ends here with exit code 0
};

// - Nothing at packagePath: shows "Unable to find the "<packagePath>" file to
//   import" (titled "Kelvra"), copies nothing, ends the run.
// - Otherwise creates "[userpath]scenes/Imported" when missing and copies the
//   file there under its complete base name plus ".kvc". The package is not
//   inspected; an existing file of that name is left unchanged and nothing
//   is reported.
// - Then, if the player's window (class "KVClass") is open, brings it to the
//   front and ends the run; otherwise the run continues.
ImportOutcome importScenePackage(const CAppTypeQt &app, const QString &packagePath);

// The copy's path: "<importDir>/<complete base name of packagePath>.kvc".
QString importedScenePath(const QString &importDir, const QString &packagePath);
