#include "QtQuick2ApplicationViewer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>

// The viewer resolves documents against the application directory, the
// directory of this test executable. Files placed there by a test have
// unique names and are removed again.
class tst_QtQuick2ApplicationViewer : public QObject
{
    Q_OBJECT

private slots:
    void importPathIsOnlyTheShippedModules();
    void thumbnailProviderIsInstalled();
    void resolveDocumentPath();
    void resolvePrefersTheParentDirectory();
    void windowDocumentIsTitledAndShownMaximized();
    void qtQuitEndsTheEventLoop();
    void rootThatIsNoWindowIsRefused_data();
    void rootThatIsNoWindowIsRefused();
    void destructionDeletesTheWindow();
    void remoteContentIsNeverFetched_data();
    void remoteContentIsNeverFetched();

private:
    // Lets the documents of these tests use the toolkit's own modules; the
    // viewer itself only looks beside the program.
    static void allowToolkitModules(QtQuick2ApplicationViewer &viewer)
    {
        viewer.engine()->addImportPath(QLibraryInfo::location(QLibraryInfo::Qml2ImportsPath));
    }
    QString writeDocument(const QByteArray &qml);

    QTemporaryDir m_dir;
    int m_documents = 0;
};

QString tst_QtQuick2ApplicationViewer::writeDocument(const QByteArray &qml)
{
    const QString path = m_dir.filePath(QStringLiteral("doc%1.qml").arg(++m_documents));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(qml);
    return path;
}

void tst_QtQuick2ApplicationViewer::importPathIsOnlyTheShippedModules()
{
    // The engine keeps an import directory only while it exists (and in its
    // canonical form); beside this test there is none, so nothing remains,
    // and in particular none of the toolkit's own module directories. The
    // process test shows the shipped directory at work.
    QtQuick2ApplicationViewer viewer;
    const QString shipped = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/qt")).canonicalFilePath();
    const QStringList expected = shipped.isEmpty() ? QStringList() : QStringList{shipped};
    QCOMPARE(viewer.engine()->importPathList(), expected);
}

void tst_QtQuick2ApplicationViewer::thumbnailProviderIsInstalled()
{
    QtQuick2ApplicationViewer viewer;
    QVERIFY(viewer.engine()->imageProvider(QStringLiteral("kvscene")));
}

void tst_QtQuick2ApplicationViewer::resolveDocumentPath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    QTemporaryFile beside(appDir + QStringLiteral("/viewer-test-XXXXXX.qml"));
    QVERIFY(beside.open());
    const QString name = QFileInfo(beside.fileName()).fileName();

    QCOMPARE(QtQuick2ApplicationViewer::resolveDocumentPath(name), appDir + QLatin1Char('/') + name);
    QCOMPARE(QtQuick2ApplicationViewer::resolveDocumentPath(QStringLiteral("qrc:/qml/Main.qml")),
             QStringLiteral("qrc:/qml/Main.qml"));
    QCOMPARE(QtQuick2ApplicationViewer::resolveDocumentPath(QStringLiteral("no-such-document.qml")),
             QStringLiteral("no-such-document.qml"));
}

void tst_QtQuick2ApplicationViewer::resolvePrefersTheParentDirectory()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    QTemporaryFile inParent(appDir + QStringLiteral("/../viewer-test-XXXXXX.qml"));
    QVERIFY(inParent.open());
    const QString name = QFileInfo(inParent.fileName()).fileName();
    QFile beside(appDir + QLatin1Char('/') + name);
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.close();

    const QString resolved = QtQuick2ApplicationViewer::resolveDocumentPath(name);
    beside.remove();
    QCOMPARE(resolved, appDir + QStringLiteral("/../") + name);
}

void tst_QtQuick2ApplicationViewer::windowDocumentIsTitledAndShownMaximized()
{
    const QString path = writeDocument("import QtQuick 2.15\nimport QtQuick.Window 2.15\n"
                                       "Window { title: \"from the document\" }\n");
    QtQuick2ApplicationViewer viewer;
    allowToolkitModules(viewer);

    QVERIFY(viewer.loadMainDocument(path));
    QCOMPARE(viewer.mainDocumentPath(), path);
    QVERIFY(viewer.window());
    QCOMPARE(viewer.window()->title(), QStringLiteral("Kelvra v2.5.1"));
    QVERIFY(!viewer.window()->isVisible());

    viewer.showWindowMaximized();
    QVERIFY(viewer.window()->isVisible());
    QVERIFY(viewer.window()->windowStates() & Qt::WindowMaximized);
}

void tst_QtQuick2ApplicationViewer::qtQuitEndsTheEventLoop()
{
    const QString path = writeDocument("import QtQuick 2.15\nimport QtQuick.Window 2.15\n"
                                       "Window { Timer { interval: 0; running: true; onTriggered: Qt.quit() } }\n");
    QtQuick2ApplicationViewer viewer;
    allowToolkitModules(viewer);
    QVERIFY(viewer.loadMainDocument(path));

    QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
    // Guard only: without the quit connection the loop would never end.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
    guard.start(30000);
    QCOMPARE(QGuiApplication::exec(), 0);
    QCOMPARE(aboutToQuit.count(), 1);
}

void tst_QtQuick2ApplicationViewer::rootThatIsNoWindowIsRefused_data()
{
    QTest::addColumn<QByteArray>("qml");
    QTest::addRow("root is an item") << QByteArray("import QtQuick 2.15\nItem {}\n");
    QTest::addRow("broken document") << QByteArray("import QtQuick 2.15\nWindow {\n");
    QTest::addRow("module not beside the program") << QByteArray("import QtQuick.NoSuchModule 1.0\nWindowish {}\n");
    QTest::addRow("missing document") << QByteArray();
}

void tst_QtQuick2ApplicationViewer::rootThatIsNoWindowIsRefused()
{
    QFETCH(QByteArray, qml);
    const QString path = qml.isEmpty() ? m_dir.filePath("absent.qml") : writeDocument(qml);

    QtQuick2ApplicationViewer viewer;
    allowToolkitModules(viewer);
    QTest::ignoreMessage(QtCriticalMsg, "Error: Root item has to be a Window.");
    QVERIFY(!viewer.loadMainDocument(path));
    QVERIFY(!viewer.window());
    viewer.showWindowMaximized();  // nothing to show, nothing happens
}

void tst_QtQuick2ApplicationViewer::destructionDeletesTheWindow()
{
    const QString path = writeDocument("import QtQuick 2.15\nimport QtQuick.Window 2.15\nWindow {}\n");
    QPointer<QQuickWindow> window;
    {
        QtQuick2ApplicationViewer viewer;
        allowToolkitModules(viewer);
        QVERIFY(viewer.loadMainDocument(path));
        window = viewer.window();
        QVERIFY(window);
    }
    QVERIFY(window.isNull());
}

void tst_QtQuick2ApplicationViewer::remoteContentIsNeverFetched_data()
{
    // %1 is a URL on a local server that would see any connection.
    QTest::addColumn<QByteArray>("qml");
    QTest::addRow("image source") << QByteArray(
        "Window { property bool done: image.status === Image.Error\n"
        "         Image { id: image; source: \"%1/thumbnail.png\" } }\n");
    QTest::addRow("script request") << QByteArray(
        "Window { property bool done: false\n"
        "         Component.onCompleted: { var request = new XMLHttpRequest()\n"
        "             request.onreadystatechange = function() {\n"
        "                 if (request.readyState === XMLHttpRequest.DONE) done = true }\n"
        "             request.open(\"GET\", \"%1/ping\"); request.send() } }\n");
}

void tst_QtQuick2ApplicationViewer::remoteContentIsNeverFetched()
{
    QFETCH(QByteArray, qml);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString url = QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    const QString path = writeDocument("import QtQuick 2.15\nimport QtQuick.Window 2.15\n"
                                       + QString::fromUtf8(qml).arg(url).toUtf8());

    QtQuick2ApplicationViewer viewer;
    allowToolkitModules(viewer);
    QVERIFY(viewer.loadMainDocument(path));
    QTRY_VERIFY(viewer.window()->property("done").toBool());
    QCoreApplication::processEvents();
    QVERIFY(!server.hasPendingConnections());
}

QTEST_MAIN(tst_QtQuick2ApplicationViewer)
#include "tst_qtquick2applicationviewer.moc"
