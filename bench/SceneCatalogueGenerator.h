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
// "user/" itself holding nothing else until the program starts. Scenes of a
// larger catalogue made earlier wait in "parked/", outside every scanned
// directory, so a run over fewer scenes can take them back without writing.
class SceneCatalogueGenerator
{
public:
    explicit SceneCatalogueGenerator(const QString &root);

    QString appDir() const;
    QString userDir() const;

    // Makes the catalogue hold exactly scenes 0..count-1: parks the others,
    // takes parked ones back, writes the missing ones. False on a write failure.
    bool setSceneCount(int count);
    // Removes the user directory's program state (configuration, playlists),
    // keeping its scenes: every measured start begins from the same state.
    void resetUserState() const;

    // The tags the generator draws from, most frequent first.
    static QStringList tagPool();

    // Scenes written from now on carry a content entry of a few bytes
    // instead of kContentBytes (catalogues of 100,000 scenes).
    void setSmall(bool small) { m_small = small; }

    static constexpr int kThumbnailBytes = 20 * 1024;
    static constexpr int kContentBytes = 200 * 1024;

private:
    QString m_root;
    QVector<QByteArray> m_thumbnails;   // a few JPEGs of about kThumbnailBytes
    QVector<QByteArray> m_contents;     // a few incompressible blobs
    bool m_small = false;

    QString scenePath(int index) const;
    QString parkedPath(int index) const;
    bool writeScene(int index, const QString &path);
    void writePlaylists() const;
};
