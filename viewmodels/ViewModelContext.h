#pragma once

#include "PlaylistDirectory.h"
#include "PlayerLauncher.h"

#include <QString>

class CAppTypeQt;
class CCfg;

// What the view models need from the application, handed to them when they
// are made instead of being looked up: the configuration record and where it
// is saved, the user's playlist directory, and how the player is started.
//
// A default-made context stands for "no application" (QML creating a view
// model, a test of one class): a detached record the settings read and
// write, no file to save it to, no playlist directory and no player.
struct ViewModelContext
{
    // Never null: the application's record or a detached default one.
    CCfg *config = detachedConfig();
    // Where config is saved; empty: it is never saved.
    QString configPath;
    PlaylistDirectory playlists;
    PlayerLauncher player;
    // Where the bytes of edited scene files are kept so an edit can be
    // undone ("[userpath]undo"); empty: scene edits cannot be undone.
    QString undoDirectory;

    // The context of a running application: its record, its configuration
    // file, its resolved "[userpath]playlists" and its application directory.
    static ViewModelContext forApplication(CAppTypeQt &app);

    // Saves config to configPath, when there is one. False when it was due
    // and failed.
    bool saveConfiguration() const;

    // A record that belongs to no application, shared by every context made
    // without one, so the settings are always readable.
    static CCfg *detachedConfig();
};
