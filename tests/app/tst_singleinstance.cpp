#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace SingleInstance;

// The pieces the process test cannot reach: what the running program accepts
// from any local process, and how directories map to socket names.
class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void requestsAreDecodedStrictly_data();
    void requestsAreDecodedStrictly();
    void serverNameFollowsTheDirectory();
    void hostileConnectionsNeverReachTheHandler_data();
    void hostileConnectionsNeverReachTheHandler();

private:
    QString listeningServer(HandOverServer &server);
};

void tst_SingleInstance::requestsAreDecodedStrictly_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");
    QTest::addRow("show") << encodeRequest({}).chopped(1) << true;
    // The whole path arrives, line ends and all, on the one request line.
    QTest::addRow("odd path") << encodeRequest({QStringLiteral("/tmp/\u00e9 \"a\"\nKVCONFIG/1 show.kvd")}).chopped(1)
                              << true;
    QTest::addRow("other version") << QByteArray("KVCONFIG/2 show") << false;
    QTest::addRow("unknown command") << QByteArray("KVCONFIG/1 quit") << false;
    QTest::addRow("show with more") << QByteArray("KVCONFIG/1 show now") << false;
    QTest::addRow("relative path") << ("KVCONFIG/1 import " + QByteArray("a.kvd").toBase64()) << false;
    QTest::addRow("empty path") << QByteArray("KVCONFIG/1 import ") << false;
    QTest::addRow("not base64") << QByteArray("KVCONFIG/1 import /tmp/a.kvd") << false;
    QTest::addRow("NUL in path") << ("KVCONFIG/1 import " + QByteArray("/tmp/a\0b", 8).toBase64()) << false;
    QTest::addRow("nothing") << QByteArray() << false;
}

void tst_SingleInstance::requestsAreDecodedStrictly()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    HandOverRequest request;
    QCOMPARE(decodeRequest(line, &request), accepted);
    if (accepted)
        QCOMPARE(encodeRequest(request).chopped(1), line);
}

void tst_SingleInstance::serverNameFollowsTheDirectory()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("user/Kelvra")));
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("other/Kelvra")));
    const QString user = root.filePath(QStringLiteral("user/Kelvra"));
    QVERIFY(QFile::link(user, root.filePath(QStringLiteral("alias"))));

    const QString name = serverName(user);
    QCOMPARE(serverName(user + QStringLiteral("/")), name);
    QCOMPARE(serverName(root.filePath(QStringLiteral("user/./Kelvra/../Kelvra"))), name);
    QCOMPARE(serverName(root.filePath(QStringLiteral("alias"))), name);
    QVERIFY(serverName(root.filePath(QStringLiteral("other/Kelvra"))) != name);
}

QString tst_SingleInstance::listeningServer(HandOverServer &server)
{
    const QString name = QStringLiteral("kelvra-test-%1").arg(QCoreApplication::applicationPid());
    if (!server.listen(name))
        return QString();
    return name;
}

void tst_SingleInstance::hostileConnectionsNeverReachTheHandler_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addRow("endless line") << QByteArray(maxRequestBytes + 100, 'A');
    QTest::addRow("malformed line") << QByteArray("GET / HTTP/1.0\n");
    QTest::addRow("relative import") << ("KVCONFIG/1 import " + QByteArray("../x.kvd").toBase64() + "\n");
}

void tst_SingleInstance::hostileConnectionsNeverReachTheHandler()
{
    QFETCH(QByteArray, sent);
    HandOverServer server;
    const QString name = listeningServer(server);
    QVERIFY(!name.isEmpty());
    int handled = 0;
    server.setHandler([&](const HandOverRequest &) {
        ++handled;
        return QString();
    });

    QLocalSocket socket;
    socket.connectToServer(name);
    QVERIFY(socket.waitForConnected(5000));
    socket.write(sent);
    // The server cuts the connection off without an answer.
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 10000);
    QCOMPARE(socket.readAll(), QByteArray());
    QCOMPARE(handled, 0);
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
