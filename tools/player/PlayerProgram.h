#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class CAppTypeQt;

// What the player shows, in turn: a list of steps, each a stack of scene
// files drawn bottom first (a post-processing scene over its background).
//
// The scene argument is a scene file path, a placeholder path, a playlist
// (".kvp") or a ";;"-separated list of those; the engine resolves the
// placeholders, in the argument and in playlists. Empty parts are skipped. Every
// scene of a playlist is a step of its own, in the playlist file's order;
// consecutive scene parts form one step together. A playlist scene whose
// file does not exist (a drive that is not mounted) is skipped and listed in
// skipped, if given. A playlist that cannot be read, or has no scene left,
// is kept as a step of its own so the window can say what went wrong.
namespace PlayerProgram {

constexpr int kMaxSteps = 10000;        // more scenes than any playlist holds
inline const char kSeparator[] = ";;";

QList<QStringList> PlanSteps(const QString &sceneArgument, const CAppTypeQt &engine,
                             QStringList *skipped = nullptr);
bool IsPlaylistPath(const QString &path);

} // namespace PlayerProgram

// One scene as the window shows it.
struct SceneCard
{
    QString path;
    bool loaded = false;   // false: the file is missing or not a scene file
    QString name;          // the scene's name; the file name when not loaded
    QString author;
    QImage thumbnail;      // null when the scene has none

    // Reads the metadata and the "thumbnail.jpg" entry of a scene file.
    static SceneCard Load(const QString &path);
};
