#include "EditHistory.h"
#include "KelvraFiles.h"
#include "SceneFileBackups.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    return KelvraFiles::WriteAtomically(path, bytes);
}

} // namespace

class TestEditHistory : public QObject
{
    Q_OBJECT

private slots:
    void backupsOfEachKind_data()
    {
        QTest::addColumn<int>("method");
        QTest::newRow("hard link") << int(SceneFileBackups::Method::LinkOrCopy);
        QTest::newRow("copy") << int(SceneFileBackups::Method::CopyOnly);
    }

    // The edit rewrites the file as the engine does (new file renamed over
    // the old); undo must give back the exact bytes the user had.
    void undoRestoresTheBytesOfTheScene_data() { backupsOfEachKind_data(); }
    void undoRestoresTheBytesOfTheScene()
    {
        QFETCH(int, method);
        QTemporaryDir dir;
        const QString scene = dir.filePath(QStringLiteral("Deep Ocean.kvc"));
        const QByteArray before("PK\x03\x04 original bytes, as the author packed them");
        QVERIFY(writeFile(scene, before));
        const SceneFileBackups backups(dir.filePath(QStringLiteral("undo")), SceneFileBackups::Method(method));

        SceneFileBackups::Kept kept = backups.keep(scene);
        QVERIFY(kept.isValid());
        QVERIFY(writeFile(scene, "PK\x03\x04 rewritten with a new tag"));
        SceneFileBackups::noteEdited(kept);

        QString problem;
        QVERIFY2(backups.restore(kept, &problem), qPrintable(problem));
        QCOMPARE(readAll(scene), before);
        QVERIFY(QDir(backups.directory()).entryList(QDir::Files).isEmpty());
    }

    // A file changed by someone else after our edit is theirs now: undo
    // must not throw their change away.
    void undoLeavesAFileChangedSinceAlone_data() { backupsOfEachKind_data(); }
    void undoLeavesAFileChangedSinceAlone()
    {
        QFETCH(int, method);
        QTemporaryDir dir;
        const QString scene = dir.filePath(QStringLiteral("Sunset.kvc"));
        QVERIFY(writeFile(scene, "first"));
        const SceneFileBackups backups(dir.filePath(QStringLiteral("undo")), SceneFileBackups::Method(method));
        SceneFileBackups::Kept kept = backups.keep(scene);
        QVERIFY(writeFile(scene, "our edit"));
        SceneFileBackups::noteEdited(kept);
        QVERIFY(writeFile(scene, "someone else's edit, longer"));

        QString problem;
        QVERIFY(!backups.restore(kept, &problem));
        QVERIFY(!problem.isEmpty());
        QCOMPARE(readAll(scene), QByteArray("someone else's edit, longer"));

        // Removed since: nothing comes back under its name either.
        SceneFileBackups::Kept again = backups.keep(scene);
        SceneFileBackups::noteEdited(again);
        QVERIFY(QFile::remove(scene));
        QVERIFY(!backups.restore(again, &problem));
        QVERIFY(!QFile::exists(scene));
    }

    void nothingIsKeptOfWhatIsNotAFile()
    {
        QTemporaryDir dir;
        const SceneFileBackups backups(dir.filePath(QStringLiteral("undo")));
        QVERIFY(!backups.keep(dir.filePath(QStringLiteral("missing.kvc"))).isValid());
        QVERIFY(!backups.keep(dir.path()).isValid());
        QString problem;
        QVERIFY(!backups.restore(SceneFileBackups::Kept(), &problem));
    }

    // A previous run's backups are of no use; only ours are removed.
    void aNewRunEmptiesOnlyItsOwnBackups()
    {
        QTemporaryDir dir;
        const QString undo = dir.filePath(QStringLiteral("undo"));
        QVERIFY(QDir().mkpath(undo));
        QVERIFY(writeFile(undo + QStringLiteral("/7-Old.undo"), "old"));
        QVERIFY(writeFile(undo + QStringLiteral("/notes.txt"), "not ours"));
        const SceneFileBackups backups(undo);
        QCOMPARE(QDir(undo).entryList(QDir::Files), QStringList{QStringLiteral("notes.txt")});
    }

    // Newest first, at most maxSteps, and whatever a forgotten step kept is
    // let go of exactly once.
    void historyUndoesNewestFirstAndReleasesWhatItDrops()
    {
        EditHistory history;
        QStringList undone;
        QStringList released;
        auto step = [&](const QString &name, const QString &problem = QString()) {
            return EditHistory::Step{name,
                                     [&undone, name, problem] {
                                         undone.append(name);
                                         return problem;
                                     },
                                     [&released, name] { released.append(name); }};
        };
        QSignalSpy changed(&history, &EditHistory::changed);
        QSignalSpy failed(&history, &EditHistory::undoFailed);
        for (int i = 0; i < EditHistory::maxSteps + 2; ++i)
            history.push(step(QString::number(i)));
        QCOMPARE(released, (QStringList{QStringLiteral("0"), QStringLiteral("1")}));
        QCOMPARE(history.undoText(), QString::number(EditHistory::maxSteps + 1));

        QVERIFY(history.undo());
        QVERIFY(history.undo());
        QCOMPARE(undone, (QStringList{QString::number(EditHistory::maxSteps + 1), QString::number(EditHistory::maxSteps)}));

        history.push(step(QStringLiteral("broken"), QStringLiteral("the file was changed since")));
        QVERIFY(!history.undo());
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(1).toString(), QStringLiteral("the file was changed since"));
        QVERIFY(released.contains(QStringLiteral("broken")));

        released.clear();
        history.clear();
        QCOMPARE(released.size(), EditHistory::maxSteps - 2);
        QVERIFY(!history.canUndo());
        QVERIFY(!history.undo());
        QVERIFY(changed.count() > 0);
    }
};

QTEST_GUILESS_MAIN(TestEditHistory)
#include "tst_edithistory.moc"
