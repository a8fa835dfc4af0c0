#include "ApplicationInfo.h"

#include "KelvraVersion.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#ifndef Q_OS_WIN
#include <QDBusConnection>
#include <QDBusMessage>
#endif

ApplicationInfo::ApplicationInfo(const QString &applicationDirectory, const QString &userDirectory, QObject *parent)
    : QObject(parent)
    , m_applicationDirectory(QDir::cleanPath(applicationDirectory))
    , m_userDirectory(QDir::cleanPath(userDirectory))
{
}

QString ApplicationInfo::version() const
{
    return QString::fromLatin1(KelvraVersion::kRelease);
}

QString ApplicationInfo::build() const
{
    return QString::fromLatin1(KelvraVersion::kBuild);
}

QString ApplicationInfo::licence() const
{
    return tr("Copyright 2026 Kelvra. All rights reserved. The Qt modules shipped with the program "
              "are used under the GNU LGPL version 3; see the copyright file of the package.");
}

bool ApplicationInfo::openFolder(const QString &directory) const
{
    const QFileInfo info(directory);
    if (directory.isEmpty() || !info.isDir())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

QString ApplicationInfo::containingFolder(const QString &filePath)
{
    if (filePath.isEmpty())
        return QString();
    const QFileInfo parent(QFileInfo(filePath).absolutePath());
    return parent.isDir() ? QDir::cleanPath(parent.absoluteFilePath()) : QString();
}

bool ApplicationInfo::openContainingFolder(const QString &filePath) const
{
    const QString folder = containingFolder(filePath);
    if (folder.isEmpty())
        return false;
#ifndef Q_OS_WIN
    // Selecting the file spares the user a search among thousands of
    // scenes; file managers without the interface get the folder.
    if (QFileInfo(filePath).isFile()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            QDBusMessage show = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
                QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
            show << QStringList{QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()).toString()}
                 << QString();
            const QDBusMessage answer = bus.call(show, QDBus::Block, 1500);
            if (answer.type() == QDBusMessage::ReplyMessage)
                return true;
        }
    }
#endif
    return openFolder(folder);
}
