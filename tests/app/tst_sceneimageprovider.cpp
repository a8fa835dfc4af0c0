#include "CSceneImageProvider.h"
#include "JpegTestSupport.h"
#include "ZipTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <QQuickTextureFactory>
#include <QSemaphore>
#include <QUrl>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

using JpegTest::jpegClaiming;

// The progressive picture with its last scan repeated up to scans in all.
QByteArray progressiveWithScans(const QByteArray &progressive, int scans)
{
    const int written = progressive.count(QByteArray("\xFF\xDA", 2));
    return JpegTest::withRepeatedLastScan(progressive, scans - written);
}

const QSize untouched(-7, -7);

bool writeArchive(const QString &path, const QList<EngineTest::ZipEntry> &entries)
{
    const QByteArray archive = EngineTest::makeArchive(entries);
    return !archive.isEmpty() && EngineTest::writeFile(path, archive);
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

} // namespace

class tst_SceneImageProvider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void requestImage_data();
    void requestImage();
    void decodeSize_data();
    void decodeSize();
    void entryNameCase();
    void oversizedEntryIsRefusedUnread();
    void concurrentRequests();
    void responsesAnswerLikeDirectRequests_data();
    void responsesAnswerLikeDirectRequests();
    void responsesAreCachedUntilTheFileChanges();
    void cancelledResponseFinishesUnread();

private:
    // Waits for a response and takes its image; null after an error. The
    // response tells through the event loop, so a spy made before the loop
    // runs again hears it.
    static QImage finishedImage(QQuickImageResponse *response, QString *error);

    QTemporaryDir m_dir;
    QString m_scene;
    QString m_hashScene;
    QString m_oddScene;
    QString m_notZip;
    QImage m_thumbnail;
    QByteArray m_progressive;
};

void tst_SceneImageProvider::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_thumbnail = picture(40, 30);
    m_progressive = JpegTest::progressiveJpeg(40, 30, Qt::darkCyan);
    QVERIFY(m_progressive.count(QByteArray("\xFF\xDA", 2)) > 2);
    m_scene = m_dir.filePath("scene.kvc");
    QVERIFY(writeArchive(m_scene, {
        {"scene.json", "{}"},
        {"thumbnail.jpg", encoded(m_thumbnail, "JPG")},
        {"preview.png", encoded(picture(12, 7), "PNG")},
        {"notes.txt", "not an image"},
        {"empty.jpg", QByteArray()},
        {"huge.jpg", jpegClaiming(65000, 65000)},
        {"tall.jpg", jpegClaiming(1, 20000)},
        {"manypixels.jpg", jpegClaiming(9000, 9000)},
        {"8000x8000.jpg", jpegClaiming(8000, 8000)},
        {"4000x3000.jpg", jpegClaiming(4000, 3000)},
        {"64scans.jpg", progressiveWithScans(m_progressive, 64)},
        {"65scans.jpg", progressiveWithScans(m_progressive, 65)},
        {"progressive3000x3000.jpg", jpegClaiming(3000, 3000, true)},
        {"2896x2896in32scans.jpg", progressiveWithScans(jpegClaiming(2896, 2896, true), 32)},
        {"2896x2896in33scans.jpg", progressiveWithScans(jpegClaiming(2896, 2896, true), 33)},
    }));

    QVERIFY(QDir(m_dir.path()).mkpath("a#b"));
    m_hashScene = m_dir.filePath("a#b/scene.kvc");
    QVERIFY(writeArchive(m_hashScene, {{"thumbnail.jpg", encoded(m_thumbnail, "JPG")}}));

    // Directory names the documents escape before building an image URL.
    QVERIFY(QDir(m_dir.path()).mkpath(QString::fromUtf8("odd 100% #1 ?\xc3\xa9t\xc3\xa9")));
    m_oddScene = m_dir.filePath(QString::fromUtf8("odd 100% #1 ?\xc3\xa9t\xc3\xa9/sc\xc3\xa8ne.kvc"));
    QVERIFY(writeArchive(m_oddScene, {{"thumbnail.jpg", encoded(m_thumbnail, "JPG")}}));

    m_notZip = m_dir.filePath("broken.kvc");
    QFile broken(m_notZip);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("PK this is not really a zip archive");
}

void tst_SceneImageProvider::requestImage_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expectedImage");  // invalid: null image
    QTest::addColumn<QSize>("expectedSize");

    const QString scene = m_scene;
    const QSize none;
    QTest::addRow("jpeg at stored size, nothing requested") << scene + "#thumbnail.jpg" << QSize() << QSize(40, 30) << QSize(40, 30);
    QTest::addRow("jpeg scaled to cover the requested box") << scene + "#thumbnail.jpg" << QSize(20, 10) << QSize(20, 15) << QSize(20, 15);
    QTest::addRow("jpeg at stored size, larger requested") << scene + "#thumbnail.jpg" << QSize(400, 300) << QSize(40, 30) << QSize(40, 30);
    QTest::addRow("parts after the second ignored") << scene + "#thumbnail.jpg#extra#more" << QSize() << QSize(40, 30) << QSize(40, 30);

    QTest::addRow("archive path holding # is cut there") << m_hashScene + "#thumbnail.jpg" << QSize() << none << untouched;
    QString escapedOdd = m_oddScene;
    escapedOdd.replace("%", "%25").replace("#", "%23").replace("?", "%3F");
    // newRow: addRow would read the % in the name as a format.
    QTest::newRow("escaped %, #, ?, space and non-ASCII in the path") << escapedOdd + "#thumbnail.jpg" << QSize() << QSize(40, 30) << QSize(40, 30);
    QTest::addRow("unescaped # in the path still cuts it") << m_oddScene + "#thumbnail.jpg" << QSize() << none << untouched;
    QTest::addRow("missing archive") << m_dir.filePath("absent.kvc#thumbnail.jpg") << QSize() << none << untouched;
    QTest::addRow("not a zip archive") << m_notZip + "#thumbnail.jpg" << QSize() << none << untouched;
    QTest::addRow("directory as archive") << m_dir.path() + "#thumbnail.jpg" << QSize() << none << untouched;
    QTest::addRow("entry not in archive") << scene + "#absent.jpg" << QSize() << none << untouched;
    QTest::addRow("no entry name") << scene << QSize() << none << untouched;
    QTest::addRow("empty entry name") << scene + "#" << QSize() << none << untouched;
    QTest::addRow("empty id") << QString() << QSize() << none << untouched;

    QTest::addRow("entry not an image") << scene + "#notes.txt" << QSize() << none << QSize(0, 0);
    QTest::addRow("empty entry") << scene + "#empty.jpg" << QSize() << none << QSize(0, 0);
    // The format hint is binding: the toolkit's JPEG reader does not fall back
    // to other formats.
    QTest::addRow("png entry under the jpeg hint") << scene + "#preview.png" << QSize() << none << QSize(0, 0);
    QTest::addRow("header claims 65000 x 65000") << scene + "#huge.jpg" << QSize() << none << QSize(0, 0);
    QTest::addRow("header claims a side of 20000") << scene + "#tall.jpg" << QSize() << none << QSize(0, 0);
    QTest::addRow("header claims 81 Mpixel") << scene + "#manypixels.jpg" << QSize() << none << QSize(0, 0);
    QTest::addRow("header claims 64 Mpixel") << scene + "#8000x8000.jpg" << QSize(320, 180) << none << QSize(0, 0);

    // A large frame costs what is shown, not what it claims.
    QTest::addRow("large frame decoded at the card's size")
        << scene + "#4000x3000.jpg" << QSize(320, 180) << QSize(320, 240) << QSize(320, 240);
    QTest::addRow("large frame bounded when nothing is requested")
        << scene + "#4000x3000.jpg" << QSize() << QSize(512, 384) << QSize(512, 384);
    // Between scans the decoder holds the whole frame.
    QTest::addRow("progressive 9 Mpixel refused")
        << scene + "#progressive3000x3000.jpg" << QSize(320, 180) << none << QSize(0, 0);
    // Each scan is a pass over the whole frame: the larger the frame, the
    // fewer scans it may have.
    QTest::addRow("8 Mpixel in 32 scans decoded")
        << scene + "#2896x2896in32scans.jpg" << QSize(100, 100) << QSize(100, 100) << QSize(100, 100);
    QTest::addRow("8 Mpixel in 33 scans refused")
        << scene + "#2896x2896in33scans.jpg" << QSize(100, 100) << none << QSize(0, 0);
    QTest::addRow("64 scans decoded") << scene + "#64scans.jpg" << QSize() << QSize(40, 30) << QSize(40, 30);
    QTest::addRow("65 scans refused") << scene + "#65scans.jpg" << QSize() << none << QSize(0, 0);
}

void tst_SceneImageProvider::requestImage()
{
    QFETCH(QString, id);
    QFETCH(QSize, requested);
    QFETCH(QSize, expectedImage);
    QFETCH(QSize, expectedSize);

    CSceneImageProvider provider;
    QSize size = untouched;
    const QImage image = provider.requestImage(id, &size, requested);

    QCOMPARE(size, expectedSize);
    if (!expectedImage.isValid()) {
        QVERIFY(image.isNull());
        return;
    }
    QCOMPARE(image.size(), expectedImage);
    if (!id.endsWith("#thumbnail.jpg") && !id.contains("#thumbnail.jpg#"))
        return;   // the others hold no picture worth comparing
    // A JPEG round trip is lossy; the colour must still be close.
    const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    QVERIFY(qAbs(centre.red() - QColor(Qt::darkCyan).red()) < 16);
    QVERIFY(qAbs(centre.green() - QColor(Qt::darkCyan).green()) < 16);
}

void tst_SceneImageProvider::decodeSize_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");

    QTest::addRow("square covers a wide box") << QSize(1000, 1000) << QSize(320, 180) << QSize(320, 320);
    QTest::addRow("width only") << QSize(1920, 1080) << QSize(480, 0) << QSize(480, 270);
    QTest::addRow("never enlarged") << QSize(40, 30) << QSize(400, 300) << QSize(40, 30);
    QTest::addRow("huge request bounded") << QSize(4000, 3000) << QSize(5000, 5000) << QSize(1024, 768);
    QTest::addRow("one pixel high strip keeps a row") << QSize(8192, 1) << QSize(320, 180) << QSize(1024, 1);
}

void tst_SceneImageProvider::decodeSize()
{
    QFETCH(QSize, stored);
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    QCOMPARE(CSceneImageProvider::decodeSize(stored, requested), expected);
}

void tst_SceneImageProvider::entryNameCase()
{
    CSceneImageProvider provider;
    QSize size = untouched;
    const QImage image = provider.requestImage(m_scene + "#THUMBNAIL.JPG", &size, QSize());
#ifdef Q_OS_WIN
    QCOMPARE(image.size(), QSize(40, 30));
#else
    QVERIFY(image.isNull());
    QCOMPARE(size, untouched);
#endif
}

void tst_SceneImageProvider::oversizedEntryIsRefusedUnread()
{
    const QString path = m_dir.filePath("oversized.kvc");
    // A valid JPEG followed by padding: decodable, but too large an entry.
    QByteArray entry = encoded(m_thumbnail, "JPG");
    entry.append(QByteArray(int(CSceneImageProvider::maxEntryBytes) + 1 - entry.size(), '\0'));
    QVERIFY(writeArchive(path, {{"thumbnail.jpg", entry}}));
    entry.clear();

    CSceneImageProvider provider;
    QSize size = untouched;
    QVERIFY(provider.requestImage(path + "#thumbnail.jpg", &size, QSize()).isNull());
    QCOMPARE(size, QSize(0, 0));
}

void tst_SceneImageProvider::concurrentRequests()
{
    // The toolkit's loader thread and the GUI thread share one provider.
    CSceneImageProvider provider;
    struct Request { QString id; QSize image; QSize size; };
    const QVector<Request> requests = {
        {m_scene + "#thumbnail.jpg", QSize(10, 8), QSize(10, 8)},
        {m_scene + "#4000x3000.jpg", QSize(10, 8), QSize(10, 8)},
        {m_scene + "#65scans.jpg", QSize(), QSize(0, 0)},
        {m_scene + "#preview.png", QSize(), QSize(0, 0)},
        {m_scene + "#absent.jpg", QSize(), untouched},
        {m_scene + "#notes.txt", QSize(), QSize(0, 0)},
        {m_scene + "#huge.jpg", QSize(), QSize(0, 0)},
        {m_notZip + "#thumbnail.jpg", QSize(), untouched},
    };

    const int threadCount = 6;
    const int rounds = 40;
    std::atomic<int> wrong{0};
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < rounds; ++i) {
                const Request &request = requests.at((t + i) % requests.size());
                QSize size = untouched;
                const QImage image = provider.requestImage(request.id, &size, QSize(8, 8));
                const QSize imageSize = image.isNull() ? QSize() : image.size();
                if (imageSize != request.image || size != request.size)
                    ++wrong;
                ++done;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    QCOMPARE(done.load(), threadCount * rounds);
    QCOMPARE(wrong.load(), 0);
}

QImage tst_SceneImageProvider::finishedImage(QQuickImageResponse *response, QString *error)
{
    QSignalSpy finished(response, &QQuickImageResponse::finished);
    if (!finished.wait(10000))
        return QImage();
    *error = response->errorString();
    std::unique_ptr<QQuickTextureFactory> factory(response->textureFactory());
    delete response;
    return factory ? factory->image() : QImage();
}

void tst_SceneImageProvider::responsesAnswerLikeDirectRequests_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QSize>("requested");
    QTest::addRow("thumbnail at a card's size") << m_scene + "#thumbnail.jpg" << QSize(20, 15);
    QTest::addRow("large frame, scaled") << m_scene + "#4000x3000.jpg" << QSize(320, 180);
    QTest::addRow("path with a hash") << QString(QUrl::toPercentEncoding(m_hashScene, "/") + "#thumbnail.jpg") << QSize();
    QTest::addRow("too many scans") << m_scene + "#65scans.jpg" << QSize(8, 8);
    QTest::addRow("not a jpeg") << m_scene + "#preview.png" << QSize(8, 8);
    QTest::addRow("absent entry") << m_scene + "#absent.jpg" << QSize(8, 8);
    QTest::addRow("not a zip") << m_notZip + "#thumbnail.jpg" << QSize(8, 8);
}

// The view's asynchronous requests give what a direct request gives; a
// failure is an error without an image.
void tst_SceneImageProvider::responsesAnswerLikeDirectRequests()
{
    QFETCH(QString, id);
    QFETCH(QSize, requested);
    CSceneImageProvider provider;
    QCOMPARE(provider.imageType(), QQmlImageProviderBase::ImageResponse);
    QSize size;
    const QImage direct = provider.requestImage(id, &size, requested);

    QString error;
    const QImage image = finishedImage(provider.requestImageResponse(id, requested), &error);
    QCOMPARE(image.isNull(), direct.isNull());
    QCOMPARE(error.isEmpty(), !direct.isNull());
    if (!direct.isNull())
        QCOMPARE(image.convertToFormat(direct.format()), direct);
}

void tst_SceneImageProvider::responsesAreCachedUntilTheFileChanges()
{
    const QString path = m_dir.filePath("cached.kvc");
    QVERIFY(writeArchive(path, {{"thumbnail.jpg", encoded(m_thumbnail, "JPG")}}));
    CSceneImageProvider provider;
    QString error;
    const QImage first = finishedImage(provider.requestImageResponse(path + "#thumbnail.jpg", QSize(20, 15)), &error);
    QVERIFY(!first.isNull());
    QCOMPARE(finishedImage(provider.requestImageResponse(path + "#thumbnail.jpg", QSize(20, 15)), &error), first);
    QCOMPARE(provider.decodeCount(), 1);
    QVERIFY(!finishedImage(provider.requestImageResponse(path + "#thumbnail.jpg", QSize(10, 8)), &error).isNull());
    QCOMPARE(provider.decodeCount(), 2);   // another size is another picture

    // Rewritten with another picture: read again, not shown from the cache.
    QVERIFY(writeArchive(path, {{"thumbnail.jpg", encoded(picture(80, 30), "JPG")}, {"pad", QByteArray(100, 'x')}}));
    const QImage second = finishedImage(provider.requestImageResponse(path + "#thumbnail.jpg", QSize(20, 15)), &error);
    QCOMPARE(provider.decodeCount(), 3);
    QCOMPARE(second.size(), QSize(40, 15));
}

// A card scrolled away before a worker took its request up: the view still
// hears the end, nothing is read.
void tst_SceneImageProvider::cancelledResponseFinishesUnread()
{
    CSceneImageProvider provider;
    provider.pool().setMaxThreadCount(1);
    QSemaphore release;
    provider.pool().start(QRunnable::create([&release] { release.acquire(); }));
    QQuickImageResponse *response = provider.requestImageResponse(m_scene + "#thumbnail.jpg", QSize(20, 15));
    response->cancel();
    release.release();
    QString error;
    QVERIFY(finishedImage(response, &error).isNull());
    QVERIFY(!error.isEmpty());
    QCOMPARE(provider.decodeCount(), 0);
}

// A GUI application: the views' texture factories need the scene graph's adaptation.
QTEST_MAIN(tst_SceneImageProvider)
#include "tst_sceneimageprovider.moc"
