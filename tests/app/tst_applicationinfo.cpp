#include "ApplicationInfo.h"
#include "ThemeChoice.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Preference = ThemeChoice::DesktopPreference;
Q_DECLARE_METATYPE(ThemeChoice::DesktopPreference)

class TestApplicationInfo : public QObject
{
    Q_OBJECT

private slots:
    // Which theme shows for each combination of the user's choice and the
    // desktop's preference; "System" on a desktop that says nothing is the
    // program's own dark look.
    void themeFollowsChoiceThenDesktop_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<Preference>("desktop");
        QTest::addColumn<bool>("dark");
        QTest::newRow("system, no preference") << int(ThemeChoice::System) << Preference::NoPreference << true;
        QTest::newRow("system, desktop light") << int(ThemeChoice::System) << Preference::Light << false;
        QTest::newRow("system, desktop dark") << int(ThemeChoice::System) << Preference::Dark << true;
        QTest::newRow("light over a dark desktop") << int(ThemeChoice::Light) << Preference::Dark << false;
        QTest::newRow("dark over a light desktop") << int(ThemeChoice::Dark) << Preference::Light << true;
    }
    void themeFollowsChoiceThenDesktop()
    {
        QFETCH(int, choice);
        QFETCH(Preference, desktop);
        QFETCH(bool, dark);
        ThemeChoice theme{QString()};
        theme.setDesktopPreference(desktop);
        theme.setChoice(ThemeChoice::Choice(choice));
        QCOMPARE(theme.dark(), dark);
    }

    // The interface re-colours on darkChanged: it must come exactly when
    // the answer flips, also when the desktop changes under a "System" choice.
    void darkChangesAreSignalledOnlyWhenTheyFlip()
    {
        ThemeChoice theme{QString()};
        theme.setDesktopPreference(Preference::NoPreference);
        QSignalSpy darkSpy(&theme, &ThemeChoice::darkChanged);
        QSignalSpy choiceSpy(&theme, &ThemeChoice::choiceChanged);

        theme.setChoice(ThemeChoice::Dark);  // already dark
        QCOMPARE(choiceSpy.count(), 1);
        QCOMPARE(darkSpy.count(), 0);
        theme.setDesktopPreference(Preference::Light);  // the choice holds
        QCOMPARE(darkSpy.count(), 0);
        theme.setChoice(ThemeChoice::System);  // now the desktop's light counts
        QCOMPARE(darkSpy.count(), 1);
        QVERIFY(!theme.dark());
        theme.setDesktopPreference(Preference::Dark);
        QCOMPARE(darkSpy.count(), 2);
        theme.setChoice(ThemeChoice::System);
        QCOMPARE(choiceSpy.count(), 2);
    }

    // The choice survives a restart; a hand-edited or foreign value is
    // read as "System", never as an undefined choice.
    void choiceIsKeptAcrossStarts_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("choice");
        QTest::newRow("nothing stored") << QByteArray() << int(ThemeChoice::System);
        QTest::newRow("light") << QByteArray("[theme]\nchoice=light\n") << int(ThemeChoice::Light);
        QTest::newRow("dark") << QByteArray("[theme]\nchoice=dark\n") << int(ThemeChoice::Dark);
        QTest::newRow("unknown word") << QByteArray("[theme]\nchoice=sepia\n") << int(ThemeChoice::System);
        QTest::newRow("a number") << QByteArray("[theme]\nchoice=2\n") << int(ThemeChoice::System);
        QTest::newRow("not an ini file") << QByteArray("\x01\x02[[[=\n\xff") << int(ThemeChoice::System);
    }
    void choiceIsKeptAcrossStarts()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, choice);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("interface.ini"));
        if (!stored.isEmpty()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(stored);
        }
        QCOMPARE(int(ThemeChoice(file).choice()), choice);

        ThemeChoice first(file);
        first.setChoice(ThemeChoice::Light);
        QCOMPARE(ThemeChoice(file).choice(), ThemeChoice::Light);
    }

    // Only an existing folder is ever handed to the desktop.
    void containingFolderIsAnExistingDirectory()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("scenes/Imported")));
        const QString scene = dir.filePath(QStringLiteral("scenes/Imported/Deep Ocean.kvc"));
        QFile(scene).open(QIODevice::WriteOnly);
        const QString folder = QDir::cleanPath(dir.filePath(QStringLiteral("scenes/Imported")));

        QCOMPARE(ApplicationInfo::containingFolder(scene), folder);
        QCOMPARE(ApplicationInfo::containingFolder(dir.filePath(QStringLiteral("scenes/Imported/gone.kvc"))), folder);
        QCOMPARE(ApplicationInfo::containingFolder(dir.filePath(QStringLiteral("scenes/../scenes/Imported/x.kvc"))),
                 folder);
        QCOMPARE(ApplicationInfo::containingFolder(dir.filePath(QStringLiteral("missing/x.kvc"))), QString());
        QCOMPARE(ApplicationInfo::containingFolder(QString()), QString());

        const ApplicationInfo info(dir.path(), dir.path());
        QVERIFY(!info.openFolder(scene));  // a file, not a folder
        QVERIFY(!info.openFolder(QStringLiteral("https://example.com/")));
        QVERIFY(!info.openFolder(QString()));
        QVERIFY(!info.openContainingFolder(dir.filePath(QStringLiteral("missing/x.kvc"))));
    }
};

QTEST_GUILESS_MAIN(TestApplicationInfo)
#include "tst_applicationinfo.moc"
