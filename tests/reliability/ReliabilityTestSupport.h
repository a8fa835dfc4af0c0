#pragma once

// The user's three kinds of file as the reliability tests set them up, and
// the checks that tell a complete file from a damaged one.

#include "CCfg.h"
#include "CPlaylist.h"
#include "CScene.h"
#include "EngineTestSupport.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QList>
#include <QString>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

namespace Reliability {

using EngineTest::readFile;
using EngineTest::writeFile;

// Bytes that do not compress, so a scene of this content takes real time to
// write and a kill has something to interrupt.
inline QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = seed | 1;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

// A user scene with tag "v0", a thumbnail and contentBytes of other content.
inline bool createScene(const QString &path, const QByteArray &thumbnail, int contentBytes)
{
    CScene scene;
    scene.SetId(QStringLiteral("reliability.scene"));
    scene.SetName(QStringLiteral("Reliability"));
    scene.SetAuthor(QStringLiteral("Tests"));
    scene.tagList = QStringList{QStringLiteral("v0")};
    scene.typeFlags = CScene::Background;
    scene.sceneDate = SceneDate{2024, 5, 1, 12, 0, 0};
    scene.SetEntry(QStringLiteral("thumbnail.jpg"), thumbnail);
    scene.SetEntry(QStringLiteral("content.bin"), noise(contentBytes, 7));
    scene.SetEntry(QStringLiteral("shader.glsl"), QByteArray("void main() {}\n").repeated(100));
    return scene.Save(path, true);
}

inline bool createPlaylist(const QString &path, int entries)
{
    CPlaylist playlist;
    for (int i = 0; i < entries; ++i) {
        auto *entry = new PlaylistEntry;
        entry->sceneId = QStringLiteral("v0");
        entry->scenePath = QStringLiteral("/scenes/scene-%1.kvc").arg(i);
        entry->typeFlags = i % 2 ? int(CScene::Background) : 0;
        (i % 2 ? playlist.backgroundEntries : playlist.standaloneEntries).append(entry);
    }
    return playlist.Save(path);
}

inline bool createConfig(const QString &path)
{
    // A key of the player's own, which every rewrite must carry over.
    return writeFile(path, QByteArrayLiteral("{\"playlistToRun\": \"v0\", \"minSceneTime\": 0,"
                                             " \"playerWindow\": {\"x\": 10, \"y\": 20}}"));
}

// Every entry but the scene's metadata, as stored: a tag edit must carry
// these over byte for byte.
inline QByteArray contentFingerprint(const QString &path)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        zip.getCurrentFileInfo(&info);
        if (info.name == QLatin1String("scene.json"))
            continue;
        QuaZipFile file(&zip);
        int method = 0;
        int level = 0;
        if (!file.open(QIODevice::ReadOnly, &method, &level, true))
            return QByteArray();
        hash.addData(info.name.toUtf8());
        hash.addData(QByteArray::number(info.crc) + QByteArray::number(method));
        hash.addData(file.readAll());
    }
    return zip.getZipError() == UNZ_OK ? hash.result() : QByteArray();
}

} // namespace Reliability
