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
    // Small scene files: a content entry of kSmallContentBytes instead of
    // kContentBytes (about 20 KB a file instead of 225 KB), so 100,000 scenes
    // fit on an ordinary disk. Nothing the program reads while browsing
    // changes: it never reads the content. Set before the first write; a
    // catalogue keeps the size it was written with.
    void setSmall(bool small) { m_small = small; }

    // Removes the user directory's program state (configuration, playlists),
    // keeping its scenes: every measured start begins from the same state.
    void resetUserState() const;

    // The tags the generator draws from, most frequent first.
    static QStringList tagPool();

    static constexpr int kThumbnailBytes = 20 * 1024;
    static constexpr int kContentBytes = 200 * 1024;
    static constexpr int kSmallContentBytes = 1024;

private:
    QString m_root;
    bool m_small = false;
    QVector<QByteArray> m_thumbnails;   // a few JPEGs of about kThumbnailBytes
    QVector<QByteArray> m_contents;     // a few incompressible blobs

    QString scenePath(int index) const;
    QString parkedPath(int index) const;
    bool writeScene(int index, const QString &path);
    void writePlaylists() const;
};
