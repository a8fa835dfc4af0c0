#include "LocalOnlyNetworkAccess.h"

#include <QMetaObject>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// A reply that has already failed: it reads nothing and reports its error
// and its end from the event loop, as a real reply would, so callers that
// connect after the request still hear of it.
class RefusedReply : public QNetworkReply
{
public:
    RefusedReply(QNetworkAccessManager::Operation operation, const QNetworkRequest &request, QObject *parent)
        : QNetworkReply(parent)
    {
        setRequest(request);
        setUrl(request.url());
        setOperation(operation);
        setError(ContentAccessDenied, QStringLiteral("Remote content is not loaded: %1")
                                                .arg(request.url().toDisplayString(QUrl::RemoveUserInfo)));
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        setFinished(true);
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit errorOccurred(error());
                emit finished();
            },
            Qt::QueuedConnection);
    }

    void abort() override {}
    qint64 bytesAvailable() const override { return 0; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
};

} // namespace

LocalOnlyNetworkAccessManager::LocalOnlyNetworkAccessManager(QObject *parent)
    : QNetworkAccessManager(parent)
{
}

bool LocalOnlyNetworkAccessManager::isLocal(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("file") || scheme == QLatin1String("qrc") || scheme == QLatin1String("data");
}

QNetworkReply *LocalOnlyNetworkAccessManager::createRequest(Operation operation, const QNetworkRequest &request,
                                                            QIODevice *outgoingData)
{
    if (isLocal(request.url()))
        return QNetworkAccessManager::createRequest(operation, request, outgoingData);
    return new RefusedReply(operation, request, this);
}

QNetworkAccessManager *LocalOnlyNetworkAccessManagerFactory::create(QObject *parent)
{
    return new LocalOnlyNetworkAccessManager(parent);
}
