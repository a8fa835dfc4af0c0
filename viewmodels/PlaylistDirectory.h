#pragma once

#include <QString>

// The user's playlist directory and where a playlist's file lives in it: the
// playlist named N is the file N + ".kvp" directly inside the directory.
//
// A value handed to the view models when they are made. A default-made one
// knows no directory: every file path it gives is empty and no path is inside
// it, so nothing is written, moved or created anywhere.
class PlaylistDirectory
{
public:
    PlaylistDirectory() = default;
    // resolvedPath: the directory as the file system knows it.
    explicit PlaylistDirectory(const QString &resolvedPath) : m_path(resolvedPath) {}

    QString path() const { return m_path; }
    bool isKnown() const { return !m_path.isEmpty(); }

    // The file of the playlist named name; empty when the directory is not
    // known or name cannot be a playlist's file name
    // (CPlaylistViewModel::nameProblem).
    QString filePathForName(const QString &name) const;
    // Whether path names a file directly inside the directory.
    bool contains(const QString &path) const;

    // "[userpath]playlists/" + name + ".kvp", unresolved and unchecked, for
    // the player, which resolves the placeholder itself.
    static QString placeholderPathForName(const QString &name);
    // The placeholder of the directory itself, for whoever resolves it.
    static QString placeholderPath();
    static const char *const fileSuffix;

private:
    QString m_path;
};
