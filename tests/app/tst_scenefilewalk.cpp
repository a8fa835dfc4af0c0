#include "SceneFileWalk.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// The catalogue's own folder walk must list exactly what QDirIterator lists,
// in the same order, or scenes would vanish or move between starts.
class TestSceneFileWalk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listsWhatQDirIteratorLists_data();
    void listsWhatQDirIteratorLists();

private:
    QTemporaryDir m_dir;
};

namespace {

QStringList reference(const QString &directory)
{
    QStringList found;
    QDirIterator it(directory, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().endsWith(QLatin1String(".kvc"), Qt::CaseSensitive))
            found.append(it.filePath());
    }
    return found;
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

void TestSceneFileWalk::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString root = m_dir.path() + QStringLiteral("/scenes");
    QDir().mkpath(root + QStringLiteral("/pack/deeper/deepest"));
    QDir().mkpath(root + QStringLiteral("/.hidden"));
    QDir().mkpath(root + QStringLiteral("/folder.kvc/inner"));
    QDir().mkpath(m_dir.path() + QStringLiteral("/elsewhere"));
    for (int i = 0; i < 20; ++i)
        touch(root + QStringLiteral("/top%1.kvc").arg(i));
    touch(root + QStringLiteral("/pack/a.kvc"));
    touch(root + QStringLiteral("/pack/deeper/b.kvc"));
    touch(root + QStringLiteral("/pack/deeper/deepest/c.kvc"));
    touch(root + QStringLiteral("/pack/readme.txt"));
    touch(root + QStringLiteral("/pack/upper.KVC"));
    touch(root + QStringLiteral("/pack/almost.kvc.bak"));
    touch(root + QStringLiteral("/.hidden.kvc"));
    touch(root + QStringLiteral("/.hidden/inside.kvc"));
    touch(root + QStringLiteral("/folder.kvc/inner/d.kvc"));
    touch(root + QStringLiteral("/caf\u00e9 \u266b.kvc"));
    touch(m_dir.path() + QStringLiteral("/elsewhere/target.kvc"));
    const QByteArray native = QFile::encodeName(root);
    const QByteArray elsewhere = QFile::encodeName(m_dir.path() + QStringLiteral("/elsewhere"));
    QCOMPARE(symlink((elsewhere + "/target.kvc").constData(), (native + "/linked.kvc").constData()), 0);
    QCOMPARE(symlink(elsewhere.constData(), (native + "/linkedfolder").constData()), 0);
    QCOMPARE(symlink(elsewhere.constData(), (native + "/linkedfolder.kvc").constData()), 0);
    QCOMPARE(symlink((elsewhere + "/missing.kvc").constData(), (native + "/broken.kvc").constData()), 0);
    QCOMPARE(mkfifo((native + "/pipe.kvc").constData(), 0600), 0);
}

void TestSceneFileWalk::listsWhatQDirIteratorLists_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<int>("expected");
    const QString root = m_dir.path() + QStringLiteral("/scenes");
    // 20 + a, b, c + folder.kvc and d + the name outside Latin-1 + the two links
    QTest::newRow("tree") << root << 28;
    QTest::newRow("trailing slash") << root + QLatin1Char('/') << 28;
    QTest::newRow("one folder") << root + QStringLiteral("/pack") << 3;
    QTest::newRow("missing") << root + QStringLiteral("/absent") << 0;
    QTest::newRow("a file") << root + QStringLiteral("/top1.kvc") << 0;
    QTest::newRow("empty") << QString() << 0;
}

void TestSceneFileWalk::listsWhatQDirIteratorLists()
{
    QFETCH(QString, directory);
    QFETCH(int, expected);
    QVector<FileIdentity> identities;
    const QStringList walked = Catalogue::sceneFilesBelow(directory, &identities);
    QCOMPARE(walked, reference(directory));
    QCOMPARE(walked.size(), expected);
    // Each identity is the one of its own path, links followed (a folder
    // has none).
    QCOMPARE(identities.size(), walked.size());
    for (int i = 0; i < walked.size(); ++i) {
        const FileIdentity own = FileIdentity::ofPath(walked.at(i));
        QVERIFY2(own.valid ? identities.at(i).untouchedSince(own) : !identities.at(i).valid, qPrintable(walked.at(i)));
    }
}

QTEST_GUILESS_MAIN(TestSceneFileWalk)
#include "tst_scenefilewalk.moc"
