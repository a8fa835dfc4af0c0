#pragma once

#include <QNetworkAccessManager>
#include <QQmlNetworkAccessManagerFactory>

// The QML engine's only way to the network, closed. Scene, playlist and
// configuration files come from anywhere; whatever of their text ends up in a
// binding (an image source, a rich-text picture, a request in a script) must
// not make the program fetch from a remote host, nor tell one that a scene was
// looked at. Local files, the program's resources and data URLs load as
// before; every other URL gets ContentAccessDenied without a connection being
// attempted. Image providers ("image:") never reach a manager at all.
class LocalOnlyNetworkAccessManager : public QNetworkAccessManager
{
    Q_OBJECT
public:
    explicit LocalOnlyNetworkAccessManager(QObject *parent = nullptr);

    static bool isLocal(const QUrl &url);

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override;
};

// Hands every engine thread a LocalOnlyNetworkAccessManager. Stateless, so
// the engine may call it from its loader threads. Not owned by the engine:
// it must outlive the engine it is given to.
class LocalOnlyNetworkAccessManagerFactory : public QQmlNetworkAccessManagerFactory
{
public:
    QNetworkAccessManager *create(QObject *parent) override;
};
