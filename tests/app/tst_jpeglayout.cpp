#include "JpegLayout.h"

#include <QtTest>

namespace {

QByteArray segment(uchar marker, const QByteArray &payload)
{
    const int length = payload.size() + 2;
    return QByteArray(1, char(0xFF)) + char(marker) + char(length >> 8) + char(length & 0xFF) + payload;
}

// Start of image and a 16 x 8 frame of three components.
const QByteArray head = QByteArray::fromHex("ffd8") + segment(0xC0, QByteArray::fromHex("080008001003011100021101031101"));
const QByteArray scan = segment(0xDA, QByteArray::fromHex("0301000211031100003f00"));
const QByteArray eoi = QByteArray::fromHex("ffd9");

} // namespace

// The walk must count every scan the decoder will run, and no more: an
// undercount lets a costly file through, an overcount refuses a real one.
class tst_JpegLayout : public QObject
{
    Q_OBJECT

private slots:
    void countsScansAsTheDecoderMeetsThem_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("scans");

        QTest::addRow("stuffed zeros and restarts stay inside the scan")
            << head + scan + QByteArray::fromHex("12ff0034ffd356ffffd478") + scan + eoi << 2;
        QTest::addRow("scan after bytes that are no marker") << head + QByteArray("junk\xff\x00", 6) + scan + eoi << 1;
        QTest::addRow("scan after fill bytes") << head + QByteArray::fromHex("ffffff") + scan + eoi << 1;
        QTest::addRow("scan marker inside a segment") << head + segment(0xE1, scan) + scan + eoi << 1;
        QTest::addRow("nothing after the end of image") << head + scan + eoi + scan << 1;
        QTest::addRow("cut short inside a scan header") << head + scan.left(6) << 1;
        QTest::addRow("counting stops past the limit") << head + scan.repeated(500) + eoi << 65;
    }

    void countsScansAsTheDecoderMeetsThem()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, scans);
        const std::optional<JpegLayout> layout = JpegLayout::read(data, 64);
        QVERIFY(layout);
        QCOMPARE(layout->scans, scans);
        QCOMPARE(layout->frameSize, QSize(16, 8));
    }
};

QTEST_GUILESS_MAIN(tst_JpegLayout)
#include "tst_jpeglayout.moc"
