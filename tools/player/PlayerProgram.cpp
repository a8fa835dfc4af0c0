#include "PlayerProgram.h"

#include <CAppTypeQt.h>
#include <CPlaylist.h>
#include <CScene.h>

#include <QFileInfo>

#include <quazip.h>
#include <quazipfile.h>

namespace {

// A thumbnail is a small JPEG; anything larger is not worth decoding.
constexpr qint64 kMaxThumbnailBytes = 8 * 1024 * 1024;
const char kThumbnailEntry[] = "thumbnail.jpg";

QString Resolved(const CAppTypeQt &engine, const QString &path)
{
    return engine.ResolvePath(CPath(path)).toString();
}

QStringList PlaylistScenes(const QString &playlistPath, const CAppTypeQt &engine, QStringList *skipped)
{
    CPlaylist playlist;
    QStringList scenes;
    if (!playlist.Load(playlistPath))
        return scenes;
    const QList<PlaylistEntry *> *lists[] = {
        &playlist.backgroundEntries, &playlist.foregroundEntries, &playlist.postprocessingEntries,
        &playlist.transitionEntries, &playlist.standaloneEntries,
    };
    for (const QList<PlaylistEntry *> *list : lists) {
        for (const PlaylistEntry *entry : *list) {
            if (entry->scenePath.isEmpty())
                continue;
            const QString scene = Resolved(engine, entry->scenePath);
            if (QFileInfo::exists(scene))
                scenes.append(scene);
            else if (skipped)
                skipped->append(scene);
        }
    }
    return scenes;
}

QImage ReadThumbnail(const QString &scenePath)
{
    QuaZip zip(scenePath);
    if (!zip.open(QuaZip::mdUnzip))
        return {};
    QImage image;
    if (zip.setCurrentFile(QLatin1String(kThumbnailEntry))) {
        QuaZipFileInfo64 info;
        if (zip.getCurrentFileInfo(&info) && qint64(info.uncompressedSize) <= kMaxThumbnailBytes) {
            QuaZipFile entry(&zip);
            if (entry.open(QIODevice::ReadOnly)) {
                // read() stops at the limit even if the size in the archive lies.
                const QByteArray data = entry.read(kMaxThumbnailBytes + 1);
                entry.close();
                if (data.size() <= kMaxThumbnailBytes)
                    image.loadFromData(data, "JPG");
            }
        }
    }
    zip.close();
    return image;
}

} // namespace

namespace PlayerProgram {

bool IsPlaylistPath(const QString &path)
{
    return path.endsWith(QLatin1String(".kvp"), Qt::CaseInsensitive);
}

QList<QStringList> PlanSteps(const QString &sceneArgument, const CAppTypeQt &engine, QStringList *skipped)
{
    QList<QStringList> steps;
    QStringList layers;
    const auto addStep = [&steps](const QStringList &step) {
        if (steps.size() < kMaxSteps)
            steps.append(step);
    };
    const QStringList parts = sceneArgument.split(QLatin1String(kSeparator), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QString path = Resolved(engine, part);
        if (!IsPlaylistPath(path)) {
            layers.append(path);
            continue;
        }
        if (!layers.isEmpty()) {
            addStep(layers);
            layers.clear();
        }
        const QStringList scenes = PlaylistScenes(path, engine, skipped);
        if (scenes.isEmpty())
            addStep({ path });
        for (const QString &scene : scenes)
            addStep({ scene });
    }
    if (!layers.isEmpty())
        addStep(layers);
    return steps;
}

} // namespace PlayerProgram

SceneCard SceneCard::Load(const QString &path)
{
    SceneCard card;
    card.path = path;
    CScene scene;
    card.loaded = !PlayerProgram::IsPlaylistPath(path) && scene.Load(path, false);
    if (card.loaded) {
        card.name = scene.GetName();
        card.author = scene.GetAuthor();
        card.thumbnail = ReadThumbnail(path);
    }
    if (card.name.isEmpty())
        card.name = QFileInfo(path).completeBaseName();
    return card;
}
