#include "CTagViewModel.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <limits>

class TestTagViewModel : public QObject
{
    Q_OBJECT

private slots:
    void constructorsStartUnselected();
    void settersEmitOnlyOnChange_data();
    void settersEmitOnlyOnChange();
    void nanScoreAlwaysCountsAsChange();
};

void TestTagViewModel::constructorsStartUnselected()
{
    const CTagViewModel empty;
    QCOMPARE(empty.name(), QString());
    QCOMPARE(empty.score(), 0.0f);
    QVERIFY(!empty.selected());
    QCOMPARE(empty.parent(), nullptr);

    const CTagViewModel tag(QStringLiteral("Space"), 12.0f);
    QCOMPARE(tag.name(), QStringLiteral("Space"));
    QCOMPARE(tag.score(), 12.0f);
    QVERIFY(!tag.selected());
}

// Written through the property system, as QML writes them.
void TestTagViewModel::settersEmitOnlyOnChange_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("expectSignal");

    QTest::addRow("same name") << QByteArray("name") << QVariant(QStringLiteral("Space")) << false;
    QTest::addRow("name differing in case") << QByteArray("name") << QVariant(QStringLiteral("space")) << true;
    QTest::addRow("empty name") << QByteArray("name") << QVariant(QString()) << true;
    QTest::addRow("same score") << QByteArray("score") << QVariant(3.0f) << false;
    QTest::addRow("other score") << QByteArray("score") << QVariant(3.5f) << true;
    QTest::addRow("same selection") << QByteArray("selected") << QVariant(false) << false;
    QTest::addRow("selecting") << QByteArray("selected") << QVariant(true) << true;
}

void TestTagViewModel::settersEmitOnlyOnChange()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(bool, expectSignal);

    CTagViewModel tag(QStringLiteral("Space"), 3.0f);
    const QMetaProperty meta = tag.metaObject()->property(tag.metaObject()->indexOfProperty(property));
    QSignalSpy changed(&tag, meta.notifySignal());
    QSignalSpy anyName(&tag, &CTagViewModel::nameChanged);
    QSignalSpy anyScore(&tag, &CTagViewModel::scoreChanged);
    QSignalSpy anySelected(&tag, &CTagViewModel::selectedChanged);

    QVERIFY(tag.setProperty(property, value));
    QCOMPARE(tag.property(property), value);
    QCOMPARE(changed.count(), expectSignal ? 1 : 0);
    QCOMPARE(anyName.count() + anyScore.count() + anySelected.count(), changed.count());

    // The same value again never emits.
    QVERIFY(tag.setProperty(property, value));
    QCOMPARE(changed.count(), expectSignal ? 1 : 0);
}

void TestTagViewModel::nanScoreAlwaysCountsAsChange()
{
    CTagViewModel tag(QStringLiteral("Space"), 1.0f);
    QSignalSpy changed(&tag, &CTagViewModel::scoreChanged);
    const float nan = std::numeric_limits<float>::quiet_NaN();

    tag.setScore(nan);
    tag.setScore(nan);
    QCOMPARE(changed.count(), 2);
    QVERIFY(std::isnan(tag.score()));

    tag.setScore(1.0f);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(tag.score(), 1.0f);
}

QTEST_GUILESS_MAIN(TestTagViewModel)
#include "tst_tagviewmodel.moc"
