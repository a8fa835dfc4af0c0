#pragma once

#include <QColor>
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
    // The few colours of our own, each readable on its theme's background
    // (the controls' colours come from the style).
    Q_PROPERTY(QColor accent READ accent NOTIFY darkChanged)
    Q_PROPERTY(QColor primary READ primary NOTIFY darkChanged)
    Q_PROPERTY(QColor warning READ warning NOTIFY darkChanged)
    Q_PROPERTY(QColor positive READ positive NOTIFY darkChanged)
    Q_PROPERTY(QColor error READ error NOTIFY darkChanged)
    Q_PROPERTY(QColor focusRing READ focusRing NOTIFY darkChanged)
    Q_PROPERTY(QColor onTint READ onTint NOTIFY darkChanged)
    Q_PROPERTY(QColor onTintSecondary READ onTintSecondary NOTIFY darkChanged)
    Q_PROPERTY(QColor noticeBackground READ noticeBackground NOTIFY darkChanged)
    Q_PROPERTY(QColor failureBackground READ failureBackground NOTIFY darkChanged)
    Q_PROPERTY(QColor raisedBackground READ raisedBackground NOTIFY darkChanged)
    Q_PROPERTY(QColor placeholderBackground READ placeholderBackground NOTIFY darkChanged)
    Q_PROPERTY(QColor placeholderDeep READ placeholderDeep NOTIFY darkChanged)
    Q_PROPERTY(QColor placeholderText READ placeholderText NOTIFY darkChanged)

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

    QColor accent() const { return pick("#4FC3F7", "#0277BD"); }
    // The header bar's background; its text follows from it.
    QColor primary() const { return pick("#263238", "#CFD8DC"); }
    QColor warning() const { return pick("#FFB74D", "#E65100"); }
    QColor positive() const { return pick("#81C784", "#2E7D32"); }
    QColor error() const { return pick("#EF9A9A", "#C62828"); }
    QColor focusRing() const { return pick("#FFF59D", "#1565C0"); }
    // Text on a chip filled with accent, warning or positive.
    QColor onTint() const { return pick("#10161A", "#FFFFFF"); }
    QColor onTintSecondary() const { return pick("#33414A", "#E3F2FD"); }
    QColor noticeBackground() const { return pick("#1B5E20", "#C8E6C9"); }
    QColor failureBackground() const { return pick("#4E342E", "#FFE0B2"); }
    QColor raisedBackground() const { return pick("#37474F", "#ECEFF1"); }
    QColor placeholderBackground() const { return pick("#37474F", "#CFD8DC"); }
    QColor placeholderDeep() const { return pick("#1C262B", "#B0BEC5"); }
    QColor placeholderText() const { return pick("#78909C", "#546E7A"); }

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
    QColor pick(const char *onDark, const char *onLight) const { return QColor(dark() ? onDark : onLight); }

    QString m_settingsFile;
    Choice m_choice = System;
    DesktopPreference m_desktop = DesktopPreference::NoPreference;
};
