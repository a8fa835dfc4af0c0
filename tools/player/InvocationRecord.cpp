#include "InvocationRecord.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

// The argument as a JSON string literal.
QString QuoteArgument(const QString &argument)
{
    // A one-element array, compact: ["..."]; the string literal lies inside.
    const QByteArray json = QJsonDocument(QJsonArray { argument }).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

} // namespace

namespace InvocationRecord {

QString FormatLine(const QStringList &arguments)
{
    QStringList quoted;
    quoted.reserve(arguments.size());
    for (const QString &argument : arguments)
        quoted.append(QuoteArgument(argument));
    return quoted.join(QLatin1Char(' '));
}

bool ParseLine(const QString &line, QStringList *arguments)
{
    arguments->clear();
    // Rebuild the JSON array the line is made of: literals separated by
    // single blanks become elements separated by commas.
    QString array = QStringLiteral("[");
    bool inString = false;
    bool escaped = false;
    bool expectSeparator = false;
    for (const QChar c : line) {
        if (inString) {
            array += c;
            if (escaped)
                escaped = false;
            else if (c == QLatin1Char('\\'))
                escaped = true;
            else if (c == QLatin1Char('"')) {
                inString = false;
                expectSeparator = true;
            }
        } else if (expectSeparator) {
            if (c != QLatin1Char(' '))
                return false;
            array += QLatin1Char(',');
            expectSeparator = false;
        } else {
            if (c != QLatin1Char('"'))
                return false;
            array += c;
            inString = true;
        }
    }
    if (inString || (!line.isEmpty() && !expectSeparator))
        return false;
    array += QLatin1Char(']');

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(array.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return false;
    QStringList result;
    for (const QJsonValue &value : document.array()) {
        if (!value.isString())
            return false;
        result.append(value.toString());
    }
    // Only the exact form FormatLine writes is accepted; the JSON reader
    // alone would also take escapes that FormatLine never writes.
    if (FormatLine(result) != line)
        return false;
    *arguments = result;
    return true;
}

bool Append(const QString &directory, const QStringList &arguments)
{
    if (!QDir().mkpath(directory))
        return false;
    QFile file(QDir(directory).filePath(QLatin1String(kFileName)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const QByteArray line = FormatLine(arguments).toUtf8() + '\n';
    return file.write(line) == line.size();
}

} // namespace InvocationRecord
