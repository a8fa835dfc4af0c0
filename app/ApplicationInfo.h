#pragma once

#include <QObject>
#include <QString>

// What the About dialog shows and the desktop actions it and the details
// offer (QML singleton "ApplicationInfo"): the release, the licence, the two
// directories the program works in, and opening a folder in the desktop's
// file manager.
//
// Only local folders that exist are ever handed to the desktop: a path from a
// scene or playlist file can name nothing else, and nothing is opened by URL.
class ApplicationInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(QString build READ build CONSTANT)
    Q_PROPERTY(QString licence READ licence CONSTANT)
    Q_PROPERTY(QString applicationDirectory READ applicationDirectory CONSTANT)
    Q_PROPERTY(QString userDirectory READ userDirectory CONSTANT)

public:
    ApplicationInfo(const QString &applicationDirectory, const QString &userDirectory, QObject *parent = nullptr);

    QString version() const;
    QString build() const;
    QString licence() const;
    QString applicationDirectory() const { return m_applicationDirectory; }
    QString userDirectory() const { return m_userDirectory; }

    // Opens directory in the file manager. False (nothing opened) when it is
    // not an existing local directory or the desktop refused.
    Q_INVOKABLE bool openFolder(const QString &directory) const;
    // Opens the folder that holds filePath, with the file selected where the
    // file manager offers that (the freedesktop FileManager1 interface);
    // false when the file's folder does not exist.
    Q_INVOKABLE bool openContainingFolder(const QString &filePath) const;

    // The folder openContainingFolder opens for filePath: its absolute,
    // cleaned parent, or empty when that is not an existing directory.
    static QString containingFolder(const QString &filePath);

private:
    QString m_applicationDirectory;
    QString m_userDirectory;
};
