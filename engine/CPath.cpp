#include "CPath.h"

CPath::CPath(const QString &text)
    : m_path(QString(text).replace(QLatin1Char('\\'), QLatin1Char('/')))
{
}

CPath::CPath(const char *text)
    : CPath(QString::fromUtf8(text))
{
}
