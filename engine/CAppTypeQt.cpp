#include "CAppTypeQt.h"

#include "CrashReporter.h"
#include "EngineSupport.h"

#include <CLog.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryFile>

CAppTypeQt *gApp = nullptr;

namespace {

const QLatin1String kAppPlaceholder("[apppath]");
const QLatin1String kUserPlaceholder("[userpath]");

// Absolute, "/"-separated, without "." or ".." parts and without a trailing
// "/" (except for a root): the same text QDir and QDirIterator build when they
// list this directory, so paths resolved against it compare equal to theirs.
QString cleanDirectory(const QString &path)
{
    return QDir::cleanPath(QDir(QDir::fromNativeSeparators(path)).absolutePath());
}

QString directoryFromEnvironment(const char *variable)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? QString() : cleanDirectory(value);
}

QString defaultAppDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

// Joins a resolved directory and the text after a placeholder. Separators
// between the two are collapsed to one and trailing ones dropped; the rest of
// the text is kept as written.
QString joinResolved(const QString &directory, QString rest)
{
    int start = 0;
    while (start < rest.size() && rest.at(start) == QLatin1Char('/'))
        ++start;
    rest.remove(0, start);
    QString result = directory;
    if (!rest.isEmpty()) {
        if (!result.endsWith(QLatin1Char('/')))
            result += QLatin1Char('/');
        result += rest;
    }
    while (result.size() > 1 && result.endsWith(QLatin1Char('/'))
           && !(result.size() == 3 && result.at(1) == QLatin1Char(':'))) {
        result.chop(1);
    }
    return result;
}

bool directoryIsWritable(const QString &directory)
{
    // Creating a file is the only reliable test: permission bits say nothing
    // about read-only mounts, ACLs or a full disk's inode table.
    QTemporaryFile probe(directory + QStringLiteral("/.kelvra-write-test-XXXXXX"));
    return probe.open();
}

} // namespace

CAppTypeQt::CAppTypeQt(CLog *log, const QString &logName, QObject *parent)
    : QObject(parent)
{
    m_appDir = directoryFromEnvironment("KELVRA_APP_DIR");
    if (m_appDir.isEmpty())
        m_appDir = cleanDirectory(defaultAppDirectory());
    m_userDir = directoryFromEnvironment("KELVRA_USER_DIR");
    if (m_userDir.isEmpty())
        m_userDir = cleanDirectory(EngineSupport::DefaultUserDirectory());
    configPath = joinResolved(m_userDir, QStringLiteral("config.json"));

    if (!gApp)
        gApp = this;

    // The log lies in the user directory; make it now so the first lines,
    // written before Init(), are not lost on a first run.
    QDir().mkpath(m_userDir);
    CrashReporter::SetReportDirectory(m_userDir);
    if (log && !logName.isEmpty())
        log->Open(ResolvePath(CPath(QString(kUserPlaceholder) + logName)));
}

CAppTypeQt::~CAppTypeQt()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (gApp == this)
        gApp = nullptr;
}

void CAppTypeQt::InstallCrashreporter()
{
    CrashReporter::Install();
}

void CAppTypeQt::UninstallCrashreporter()
{
    CrashReporter::Uninstall();
}

bool CAppTypeQt::Init()
{
    // 290 (the configuration tool) and every other profile are only recorded:
    // this library starts neither a renderer nor sound capture.
    EngineSupport::LogLine(false, QStringLiteral("Engine start-up profile %1, application directory %2, user directory %3")
                       .arg(startupFlags).arg(m_appDir, m_userDir));

    if (!QDir().mkpath(m_userDir)) {
        EngineSupport::LogLine(true, QStringLiteral("User directory %1 cannot be created").arg(m_userDir));
        return false;
    }
    if (!directoryIsWritable(m_userDir)) {
        EngineSupport::LogLine(true, QStringLiteral("User directory %1 is not writable").arg(m_userDir));
        return false;
    }
    config.Load(configPath);   // an unusable file leaves the defaults, and is kept aside

    if (QCoreApplication::instance())
        QCoreApplication::instance()->installNativeEventFilter(this);
    return true;
}

CPath CAppTypeQt::ResolvePath(const CPath &path) const
{
    const QString text = path.toString();
    if (text.startsWith(kAppPlaceholder))
        return CPath(joinResolved(m_appDir, text.mid(kAppPlaceholder.size())));
    if (text.startsWith(kUserPlaceholder))
        return CPath(joinResolved(m_userDir, text.mid(kUserPlaceholder.size())));
    return path;
}

CPath CAppTypeQt::GetAppPath() const
{
    return CPath(m_appDir);
}

CPath CAppTypeQt::GetUserPath() const
{
    return CPath(m_userDir);
}

bool CAppTypeQt::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(eventType)
    Q_UNUSED(message)
    Q_UNUSED(result)
    return false;   // the configuration tool leaves every native event to Qt
}
