#pragma once

#include "CCfg.h"
#include "CPath.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>

class CLog;

// The engine's application object: owns path resolution and the
// configuration record, and opens the log. Lives until the process ends.
//
// "[apppath]" is the directory of the executable unless KELVRA_APP_DIR names
// another; "[userpath]" is the per-user data directory unless KELVRA_USER_DIR
// names another.
class CAppTypeQt : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // Opens the log at "[userpath]" + logName.
    CAppTypeQt(CLog *log, const QString &logName, QObject *parent = nullptr);
    ~CAppTypeQt() override;

    // The crash reporter: the process's first and last engine calls.
    static void InstallCrashreporter();
    static void UninstallCrashreporter();

    // Start-up profile flags, set by the host before Init(). 290 (0x122)
    // selects the configuration tool: no renderer, no sound capture.
    int startupFlags = 0;

    // Creates "[userpath]" when missing and loads the configuration record.
    // False when the user directory cannot be created or written.
    bool Init();

    CPath ResolvePath(const CPath &path) const;
    CPath GetAppPath() const;
    CPath GetUserPath() const;

    CCfg *Config() { return &config; }
    QString ConfigPath() const { return configPath; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

    CCfg config;
    QString configPath;   // "[userpath]config.json", resolved

private:
    QString m_appDir;
    QString m_userDir;
};

extern CAppTypeQt *gApp;
