#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starts the player "Kelvra.exe" as an independent process in the application
// directory. The configuration program never waits for, watches or stops it.
//
// A value made with the application directory; one made without (no
// application) starts nothing. The actual process start sits behind a
// replaceable function so that tests can record what would be started
// instead of starting anything.
class PlayerLauncher
{
public:
    // Starts program with arguments in workingDirectory, detached; true when
    // the process was started.
    using StartFunction = std::function<bool(const QString &program, const QStringList &arguments,
                                             const QString &workingDirectory)>;

    PlayerLauncher() = default;
    explicit PlayerLauncher(const QString &applicationDirectory) : m_applicationDirectory(applicationDirectory) {}

    // Starts the player with arguments; the result of the start is returned
    // for the caller to ignore. Nothing starts without the application
    // directory.
    bool start(const QStringList &arguments) const;

    // The program handed to the start function. On Windows the bare
    // "Kelvra.exe", which the system finds in the application directory; on
    // other systems a bare name would be searched on PATH instead, so there
    // the full path in the application directory is used.
    QString program() const;
    // The application directory, the player's working directory.
    QString workingDirectory() const { return m_applicationDirectory; }

    // Replaces the start function of every launcher; an empty function
    // restores the real one (QProcess::startDetached).
    static void setStartFunction(StartFunction function);

    static const char *const playerFileName;
    // The option before the scene or playlist the player shows.
    static const char *const sceneOption;

private:
    QString m_applicationDirectory;
};
