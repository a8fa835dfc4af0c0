#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Writes a catalogue of scene files the way the engine writes them (through
// CScene::Save): varied names, authors, tags, types and dates, a small
// "scene.json", a 20 KB "thumbnail.jpg" and 200 KB of content. Scene i is the
// same file in every run, so a catalogue of N scenes can be grown to M > N
// by writing only scenes N..M-1.
//
// Layout below root: "app/scenes/<pack>/" (every tenth scene, official),
// "app/playlists/" (two default playlists), "user/scenes/<pack>/" (the rest),
// "user/" itself holding nothing else until the program starts.
class SceneCatalogueGenerator
{
public:
    explicit SceneCatalogueGenerator(const QString &root);

    QString appDir() const;
    QString userDir() const;

    // Writes scenes first..last-1 that do not exist yet; false on a write failure.
    bool writeScenes(int first, int last);
    // Removes the user directory's program state (configuration, playlists),
    // keeping its scenes: every measured start begins from the same state.
    void resetUserState() const;

    // The tags the generator draws from, most frequent first.
    static QStringList tagPool();

    static constexpr int kThumbnailBytes = 20 * 1024;
    static constexpr int kContentBytes = 200 * 1024;

private:
    QString m_root;
    QVector<QByteArray> m_thumbnails;   // a few JPEGs of about kThumbnailBytes
    QVector<QByteArray> m_contents;     // a few incompressible blobs

    QString scenePath(int index) const;
    bool writeScene(int index, const QString &path);
    void writePlaylists() const;
};
