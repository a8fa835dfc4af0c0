#include "JpegLayout.h"
#include "JpegTestSupport.h"

#include <QtTest>

namespace {

QByteArray marker(uchar code)
{
    return QByteArray(1, char(0xFF)) + char(code);
}

QByteArray segment(uchar code, const QByteArray &payload)
{
    const int length = payload.size() + 2;
    return marker(code) + char(length >> 8) + char(length & 0xFF) + payload;
}

// A frame header of the given size with three components.
QByteArray frame(uchar code, int width, int height, int components = 3)
{
    QByteArray payload;
    payload += char(8);
    payload += char(height >> 8);
    payload += char(height & 0xFF);
    payload += char(width >> 8);
    payload += char(width & 0xFF);
    payload += char(components);
    for (int i = 0; i < components; ++i)
        payload += QByteArray::fromHex("011100").replace(0, 1, QByteArray(1, char(i + 1)));
    return segment(code, payload);
}

QByteArray scan()
{
    return segment(0xDA, QByteArray::fromHex("0301000211031100003f00"));
}

const QByteArray soi = marker(0xD8);
const QByteArray eoi = marker(0xD9);

int scanMarkers(const QByteArray &bytes)
{
    // In coded data every 0xFF is followed by 0 or a restart, so in the
    // toolkit's files this counts the scans.
    return bytes.count(QByteArray("\xFF\xDA", 2));
}

} // namespace

class tst_JpegLayout : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
};

void tst_JpegLayout::read_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("scans");
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<bool>("progressive");

    const QByteArray baseline = JpegTest::jpeg(40, 30, Qt::darkCyan);
    const QByteArray progressive = JpegTest::progressiveJpeg(40, 30, Qt::darkCyan);
    const QByteArray head = soi + frame(0xC0, 16, 8);
    const QSize size(16, 8);

    QTest::addRow("baseline from the toolkit") << baseline << true << 1 << QSize(40, 30) << false;
    QTest::addRow("progressive from the toolkit")
        << progressive << true << scanMarkers(progressive) << QSize(40, 30) << true;
    QTest::addRow("stuffed zeros and restarts stay inside the scan")
        << head + scan() + QByteArray::fromHex("12ff0034ffd356ffffd478") + scan() + QByteArray::fromHex("9a") + eoi
        << true << 2 << size << false;
    QTest::addRow("scan after bytes that are no marker")
        << head + QByteArray("garbage") + scan() + eoi << true << 1 << size << false;
    QTest::addRow("scan after fill bytes and a stray ff00")
        << head + QByteArray::fromHex("ff00ffffff") + scan() + eoi << true << 1 << size << false;
    QTest::addRow("scan marker inside a segment is skipped with it")
        << soi + segment(0xE1, scan()) + frame(0xC0, 16, 8) + scan() + eoi << true << 1 << size << false;
    QTest::addRow("nothing after the end of image counts")
        << head + scan() + eoi + scan() + scan() << true << 1 << size << false;
    QTest::addRow("Huffman tables are no frame header")
        << soi + segment(0xC4, QByteArray(20, '\x01')) + frame(0xC2, 16, 8) + scan() + eoi
        << true << 1 << size << true;
    QTest::addRow("cut short after the frame header") << head << true << 0 << size << false;
    QTest::addRow("cut short inside a scan header") << head + scan().left(6) << true << 1 << size << false;
    QTest::addRow("counting stops past the limit")
        << head + (scan() + QByteArray::fromHex("00")).repeated(500) + eoi << true << 65 << size << false;

    QTest::addRow("empty") << QByteArray() << false << 0 << QSize() << false;
    QTest::addRow("no start of image") << head.mid(2) + scan() + eoi << false << 0 << QSize() << false;
    QTest::addRow("start of image twice") << head + soi + scan() + eoi << false << 0 << QSize() << false;
    QTest::addRow("no frame header") << soi + segment(0xE0, "JFIF") + eoi << false << 0 << QSize() << false;
    QTest::addRow("scan before the frame header")
        << soi + scan() + frame(0xC0, 16, 8) + eoi << false << 0 << QSize() << false;
    QTest::addRow("two frame headers")
        << head + frame(0xC0, 8, 8) + scan() + eoi << false << 0 << QSize() << false;
    QByteArray longFrame = frame(0xC0, 16, 8) + '\0';
    longFrame[3] = char(longFrame.at(3) + 1);
    QTest::addRow("frame header length disagrees with its components")
        << soi + longFrame + scan() + eoi << false << 0 << QSize() << false;
    QTest::addRow("segment length below two")
        << head + QByteArray::fromHex("ffe00001") + scan() + eoi << false << 0 << QSize() << false;
    QTest::addRow("cut short inside the frame header") << soi + frame(0xC0, 16, 8).left(9) << false << 0 << QSize() << false;
}

void tst_JpegLayout::read()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, valid);
    QFETCH(int, scans);
    QFETCH(QSize, frameSize);
    QFETCH(bool, progressive);

    const std::optional<JpegLayout> layout = JpegLayout::read(data, 64);
    QCOMPARE(layout.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(layout->scans, scans);
    QCOMPARE(layout->frameSize, frameSize);
    QCOMPARE(layout->progressive, progressive);
    QCOMPARE(layout->components, 3);
}

QTEST_GUILESS_MAIN(tst_JpegLayout)
#include "tst_jpeglayout.moc"
