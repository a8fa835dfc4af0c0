#pragma once

#include <QString>

// A path as the engine library takes it: every backslash becomes a slash.
// Literals may start with the "[apppath]" or "[userpath]" placeholder;
// CAppTypeQt::ResolvePath replaces them.
class CPath
{
public:
    CPath() = default;
    CPath(const QString &text);      // NOLINT: implicit by design, like QString
    CPath(const char *text);         // NOLINT

    QString toString() const { return m_path; }
    operator QString() const { return m_path; }  // NOLINT

    bool operator==(const CPath &other) const { return m_path == other.m_path; }

private:
    QString m_path;
};
