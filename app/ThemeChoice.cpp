#include "ThemeChoice.h"

#include <QSettings>

#ifndef Q_OS_WIN
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#endif

namespace {

const char choiceKey[] = "theme/choice";

const char *choiceName(ThemeChoice::Choice choice)
{
    switch (choice) {
    case ThemeChoice::Light:
        return "light";
    case ThemeChoice::Dark:
        return "dark";
    case ThemeChoice::System:
        break;
    }
    return "system";
}

ThemeChoice::Choice choiceFromName(const QString &name)
{
    if (name == QLatin1String("light"))
        return ThemeChoice::Light;
    if (name == QLatin1String("dark"))
        return ThemeChoice::Dark;
    return ThemeChoice::System;
}

#ifndef Q_OS_WIN
const char portalService[] = "org.freedesktop.portal.Desktop";
const char portalPath[] = "/org/freedesktop/portal/desktop";
const char portalInterface[] = "org.freedesktop.portal.Settings";
const char appearanceGroup[] = "org.freedesktop.appearance";
const char colorSchemeKey[] = "color-scheme";

// The portal's values: 0 no preference, 1 prefer dark, 2 prefer light.
ThemeChoice::DesktopPreference preferenceFromPortal(const QVariant &value)
{
    QVariant inner = value;
    // Read() wraps the value in one variant more than SettingChanged does.
    while (inner.userType() == qMetaTypeId<QDBusVariant>())
        inner = inner.value<QDBusVariant>().variant();
    bool ok = false;
    const uint scheme = inner.toUInt(&ok);
    if (ok && scheme == 1)
        return ThemeChoice::DesktopPreference::Dark;
    if (ok && scheme == 2)
        return ThemeChoice::DesktopPreference::Light;
    return ThemeChoice::DesktopPreference::NoPreference;
}

// Receives the portal's SettingChanged signal: QtDBus delivers signals only
// to slots, and the slot's types tie it to D-Bus, which the Windows build has
// not.
class PortalListener : public QObject
{
    Q_OBJECT
public:
    explicit PortalListener(ThemeChoice *theme) : QObject(theme), m_theme(theme) {}

public slots:
    void settingChanged(const QString &group, const QString &key, const QDBusVariant &value)
    {
        if (group == QLatin1String(appearanceGroup) && key == QLatin1String(colorSchemeKey))
            m_theme->setDesktopPreference(preferenceFromPortal(value.variant()));
    }

private:
    ThemeChoice *m_theme;
};
#endif

} // namespace

ThemeChoice::ThemeChoice(const QString &settingsFile, QObject *parent)
    : QObject(parent)
    , m_settingsFile(settingsFile)
{
    if (!m_settingsFile.isEmpty()) {
        const QSettings settings(m_settingsFile, QSettings::IniFormat);
        m_choice = choiceFromName(settings.value(QLatin1String(choiceKey)).toString());
    }
    askDesktop();
}

void ThemeChoice::setChoice(Choice choice)
{
    if (choice != System && choice != Light && choice != Dark)
        choice = System;
    if (choice == m_choice)
        return;
    const bool wasDark = dark();
    m_choice = choice;
    if (!m_settingsFile.isEmpty()) {
        QSettings settings(m_settingsFile, QSettings::IniFormat);
        settings.setValue(QLatin1String(choiceKey), QLatin1String(choiceName(choice)));
    }
    emit choiceChanged();
    if (dark() != wasDark)
        emit darkChanged();
}

bool ThemeChoice::dark() const
{
    switch (m_choice) {
    case Light:
        return false;
    case Dark:
        return true;
    case System:
        break;
    }
    return m_desktop != DesktopPreference::Light;
}

void ThemeChoice::setDesktopPreference(DesktopPreference preference)
{
    if (preference == m_desktop)
        return;
    const bool wasDark = dark();
    m_desktop = preference;
    if (dark() != wasDark)
        emit darkChanged();
}

void ThemeChoice::askDesktop()
{
#ifdef Q_OS_WIN
    const QSettings personalize(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"),
        QSettings::NativeFormat);
    const QVariant light = personalize.value(QStringLiteral("AppsUseLightTheme"));
    if (light.isValid())
        m_desktop = light.toInt() != 0 ? DesktopPreference::Light : DesktopPreference::Dark;
#else
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(QLatin1String(portalService), QLatin1String(portalPath), QLatin1String(portalInterface),
                QStringLiteral("SettingChanged"), new PortalListener(this),
                SLOT(settingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read = QDBusMessage::createMethodCall(QLatin1String(portalService), QLatin1String(portalPath),
                                                       QLatin1String(portalInterface), QStringLiteral("Read"));
    read << QLatin1String(appearanceGroup) << QLatin1String(colorSchemeKey);
    // Asked without waiting: the window shows at once in the stored or the
    // default theme and changes when the desktop answers; a desktop without
    // the portal answers with an error, which leaves the default.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(read, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        const QDBusPendingReply<QDBusVariant> reply = *call;
        if (!reply.isError())
            setDesktopPreference(preferenceFromPortal(QVariant::fromValue(reply.value())));
        call->deleteLater();
    });
#endif
}

#ifndef Q_OS_WIN
#include "ThemeChoice.moc"
#endif
