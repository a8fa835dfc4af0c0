#include "SceneCatalogueGenerator.h"

#include "CPlaylist.h"
#include "CScene.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStringList>

#include <cstring>

namespace {

constexpr int kScenesPerPack = 500;
constexpr int kVariants = 8;

const char *const kWords[] = {
    "Aurora", "Drift", "Nebula", "Pulse", "Echo", "Prism", "Vortex", "Ember", "Lattice", "Bloom",
    "Circuit", "Tide", "Spectrum", "Glyph", "Horizon", "Cascade", "Orbit", "Fractal", "Mirage", "Quartz",
    "Signal", "Velvet", "Zenith", "Abyss", "Slab", "Kaleido", "Neon", "Pixel", "Ripple", "Solstice",
};

const char *const kAuthors[] = {"Mira Holt", "kvlab", "Sam O.", "Lumen Works", "J. Ferreira", "visuals_by_t"};

const char *const kLicences[] = {"CC BY 4.0", "CC BY-SA 4.0", "CC BY-NC 3.0", "CC0", ""};

// Incompressible pixels make the JPEG about as big as real thumbnails.
QByteArray makeThumbnail(QRandomGenerator &random)
{
    QImage image(256, 144, QImage::Format_RGB32);
    const QColor base = QColor::fromHsv(random.bounded(360), 160, 200);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = random.bounded(96);
            line[x] = qRgb(qBound(0, base.red() + noise - 48 + x / 8, 255), qBound(0, base.green() + noise - 48, 255),
                           qBound(0, base.blue() + noise - 48 + y / 4, 255));
        }
    }
    // The quality that lands nearest the wanted size.
    QByteArray best;
    for (int quality = 95; quality >= 20; quality -= 5) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG", quality);
        best = bytes;
        if (bytes.size() <= SceneCatalogueGenerator::kThumbnailBytes)
            break;
    }
    return best;
}

QByteArray makeContent(QRandomGenerator &random)
{
    QByteArray bytes(SceneCatalogueGenerator::kContentBytes, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); i += 4) {
        const quint32 value = random.generate();
        std::memcpy(bytes.data() + i, &value, 4);
    }
    return bytes;
}

} // namespace

SceneCatalogueGenerator::SceneCatalogueGenerator(const QString &root)
    : m_root(root)
{
    QRandomGenerator random(20261208);
    for (int i = 0; i < kVariants; ++i) {
        m_thumbnails.append(makeThumbnail(random));
        m_contents.append(makeContent(random));
    }
}

QString SceneCatalogueGenerator::appDir() const
{
    return m_root + QStringLiteral("/app");
}

QString SceneCatalogueGenerator::userDir() const
{
    return m_root + QStringLiteral("/user");
}

QStringList SceneCatalogueGenerator::tagPool()
{
    return {QStringLiteral("Abstract"), QStringLiteral("Colorful"), QStringLiteral("Calm"),
            QStringLiteral("Energetic"), QStringLiteral("Particles"), QStringLiteral("Retro"),
            QStringLiteral("Space"), QStringLiteral("Geometric"), QStringLiteral("Nature"),
            QStringLiteral("Dark"), QStringLiteral("Minimal"), QStringLiteral("Psychedelic"),
            QStringLiteral("Tunnel"), QStringLiteral("Waves"), QStringLiteral("Text"),
            QStringLiteral("Glitch"), QStringLiteral("3D"), QStringLiteral("Fire"),
            QStringLiteral("Water"), QStringLiteral("City")};
}

QString SceneCatalogueGenerator::scenePath(int index) const
{
    const bool official = index % 10 == 0;
    return QStringLiteral("%1/scenes/pack-%2/scene-%3.kvc")
        .arg(official ? appDir() : userDir())
        .arg(index / kScenesPerPack, 3, 10, QLatin1Char('0'))
        .arg(index, 6, 10, QLatin1Char('0'));
}

QString SceneCatalogueGenerator::parkedPath(int index) const
{
    return QStringLiteral("%1/parked/scene-%2.kvc").arg(m_root).arg(index, 6, 10, QLatin1Char('0'));
}

bool SceneCatalogueGenerator::setSceneCount(int count)
{
    writePlaylists();
    QDir().mkpath(m_root + QStringLiteral("/parked"));
    for (const QString &scenes : {appDir() + QStringLiteral("/scenes"), userDir() + QStringLiteral("/scenes")}) {
        QDirIterator it(scenes, {QStringLiteral("scene-*.kvc")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const int index = it.fileName().mid(6, 6).toInt();
            if (index >= count)
                QFile::rename(it.filePath(), parkedPath(index));
        }
    }
    for (int index = 0; index < count; ++index) {
        const QString path = scenePath(index);
        if (QFileInfo::exists(path))
            continue;
        QDir().mkpath(QFileInfo(path).path());
        if (QFile::rename(parkedPath(index), path))
            continue;
        if (!writeScene(index, path))
            return false;
    }
    return true;
}

bool SceneCatalogueGenerator::writeScene(int index, const QString &path)
{
    QRandomGenerator random(quint32(index) * 2654435761u + 17);
    const auto word = [&random]() {
        return QString::fromLatin1(kWords[random.bounded(int(sizeof(kWords) / sizeof(kWords[0])))]);
    };

    CScene scene;
    scene.SetId(QStringLiteral("bench.scene.%1").arg(index));
    scene.SetName(QStringLiteral("%1 %2 %3").arg(word(), word()).arg(index));
    scene.SetAuthor(QLatin1String(kAuthors[random.bounded(int(sizeof(kAuthors) / sizeof(kAuthors[0])))]));
    scene.SetDesc(QStringLiteral("A %1 scene of %2 and %3 that follows the beat; made for the %4 pack.")
                      .arg(word().toLower(), word().toLower(), word().toLower())
                      .arg(index / kScenesPerPack));
    scene.SetLicenseType(QLatin1String(kLicences[random.bounded(int(sizeof(kLicences) / sizeof(kLicences[0])))]));

    // Earlier tags of the pool are drawn more often, as popular tags are.
    const QStringList pool = tagPool();
    for (int i = 0; i < pool.size(); ++i) {
        if (random.bounded(100) < 50 - 2 * i)
            scene.tagList.append(pool.at(i));
    }
    static const quint32 types[] = {0, 0, 0, CScene::Background, CScene::Foreground, CScene::Postprocessing,
                                    CScene::Transition};
    scene.typeFlags = types[random.bounded(int(sizeof(types) / sizeof(types[0])))];
    if (index % 10 == 0 && random.bounded(50) == 0)
        scene.typeFlags |= CScene::Hidden;
    scene.relicensingFlag = random.bounded(4) != 0;
    scene.sceneDate.year = quint16(2015 + random.bounded(12));
    scene.sceneDate.month = quint16(1 + random.bounded(12));
    scene.sceneDate.day = quint16(1 + random.bounded(28));
    scene.sceneDate.hour = quint16(random.bounded(24));
    scene.sceneDate.minute = quint16(random.bounded(60));
    scene.sceneDate.second = quint16(random.bounded(60));

    scene.SetEntry(QStringLiteral("thumbnail.jpg"), m_thumbnails.at(index % kVariants));
    const QByteArray &content = m_contents.at(index % kVariants);
    scene.SetEntry(QStringLiteral("textures/layers.png"), m_small ? content.left(kSmallContentBytes) : content);
    return scene.Save(path, true);
}

void SceneCatalogueGenerator::writePlaylists() const
{
    const QString directory = appDir() + QStringLiteral("/playlists");
    QDir().mkpath(directory);
    // A default playlist of 200 scenes, as a player's first run would list.
    for (const char *name : {"Default.kvp", "Chill.kvp"}) {
        const QString path = directory + QLatin1Char('/') + QLatin1String(name);
        if (QFileInfo::exists(path))
            continue;
        CPlaylist playlist;
        for (int index = 1; index < 400; index += 2) {
            auto *entry = new PlaylistEntry;
            entry->sceneId = QStringLiteral("bench.scene.%1").arg(index);
            entry->scenePath = scenePath(index);
            playlist.standaloneEntries.append(entry);
        }
        playlist.Save(path);
    }
}

void SceneCatalogueGenerator::resetUserState() const
{
    QDir(userDir() + QStringLiteral("/playlists")).removeRecursively();
    QFile::remove(userDir() + QStringLiteral("/config.json"));
    QFile::remove(userDir() + QStringLiteral("/logconfig.txt"));
}
