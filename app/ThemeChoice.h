#pragma once

#include <QObject>
#include <QString>

// Light or dark: the user's choice, or the desktop's preference when the user
// leaves it to the system (QML singleton "Theme").
//
// The desktop's preference is read where the desktop says it: the
// freedesktop settings portal's "color-scheme" on Linux (asked without
// blocking start-up, and followed when the user changes it while the program
// runs), "AppsUseLightTheme" in the registry on Windows. A desktop that states
// no preference gets the dark theme, the program's own look: a visualiser's
// scenes are dark. The choice is kept in "[userpath]interface.ini"; a value
// there that is not one of the three choices counts as System.
class ThemeChoice : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Choice choice READ choice WRITE setChoice NOTIFY choiceChanged)
    Q_PROPERTY(bool dark READ dark NOTIFY darkChanged)

public:
    enum Choice { System, Light, Dark };
    Q_ENUM(Choice)

    // Reads the stored choice from settingsFile (none: nothing is read or
    // stored) and starts asking the desktop.
    explicit ThemeChoice(const QString &settingsFile, QObject *parent = nullptr);

    Choice choice() const { return m_choice; }
    // Stored at once.
    void setChoice(Choice choice);
    bool dark() const;

    // What the desktop prefers, once known; NoPreference until then.
    enum class DesktopPreference { NoPreference, Light, Dark };
    DesktopPreference desktopPreference() const { return m_desktop; }
    // For the desktop's answers, and for tests.
    void setDesktopPreference(DesktopPreference preference);

signals:
    void choiceChanged();
    void darkChanged();

private:
    void askDesktop();

    QString m_settingsFile;
    Choice m_choice = System;
    DesktopPreference m_desktop = DesktopPreference::NoPreference;
};
