// Feeds every committed seed and every input that once broke a reader to the
// same entry functions the fuzzers use, in the normal (gcc) build. A fixed
// finding stays fixed: its input lives in regressions/<target>/.

#include "FuzzTargets.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

class tst_FuzzReplay : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
    void everyTargetHasSeeds();
};

void tst_FuzzReplay::replay_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("file");
    const QDir root(QStringLiteral(KELVRA_FUZZ_DIR));
    for (const QString &target : FuzzTargets::names()) {
        const QStringList folders = {QStringLiteral("corpus/") + FuzzTargets::corpusFolder(target),
                                     QStringLiteral("regressions/") + target};
        for (const QString &folder : folders) {
            QDirIterator it(root.filePath(folder), QDir::Files | QDir::Hidden);
            QStringList files;
            while (it.hasNext())
                files.append(it.next());
            files.sort();
            for (const QString &file : files)
                QTest::addRow("%s %s/%s", qPrintable(target), qPrintable(folder),
                              qPrintable(QFileInfo(file).fileName()))
                    << target << file;
        }
    }
}

void tst_FuzzReplay::replay()
{
    QFETCH(QString, target);
    QFETCH(QString, file);
    QFile input(file);
    QVERIFY(input.open(QIODevice::ReadOnly));
    const QString problem = FuzzTargets::run(target, input.readAll());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_FuzzReplay::everyTargetHasSeeds()
{
    const QDir root(QStringLiteral(KELVRA_FUZZ_DIR));
    for (const QString &target : FuzzTargets::names()) {
        const QDir corpus(root.filePath(QStringLiteral("corpus/") + FuzzTargets::corpusFolder(target)));
        QVERIFY2(corpus.entryList(QDir::Files).size() >= 3, qPrintable(target));
    }
}

QTEST_GUILESS_MAIN(tst_FuzzReplay)
#include "tst_fuzzreplay.moc"
