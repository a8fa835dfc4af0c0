#pragma once

#include <QString>
#include <QStringList>

// What the player was asked to do: a mode switch ("-f" normal, "-v" VR, or
// "-" followed by any other word), "--scene" followed by the scene argument,
// and "--no-window" for a run that only records its command line. Anything
// else is ignored.
struct PlayerCommandLine
{
    QString modeSwitch;     // the first single-dash argument; empty when none
    QString sceneArgument;  // the argument after "--scene"; empty when none
    bool noWindow = false;  // "--no-window" was given

    // arguments: the command line without the program name.
    static PlayerCommandLine Parse(const QStringList &arguments);

    bool HasScene() const { return !sceneArgument.isEmpty(); }
    // "Normal", "VR", or the word after the dash; "Normal" when no switch.
    QString ModeTitle() const;
};
