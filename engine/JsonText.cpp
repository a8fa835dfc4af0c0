#include "JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

// The splitting below is our own rather than a second JSON library's: it only
// has to find where each top-level member's value begins and ends in a text
// QJsonDocument has already validated, which is a short loop over strings and
// brackets. A library that keeps number text would put a second parser, with
// its own idea of valid JSON, beside the one every reader uses.

namespace JsonText {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Index just past the string that opens at text[at] (a '"'); end when it is
// not closed.
int skipString(const char *text, int at, int end)
{
    for (++at; at < end; ++at) {
        if (text[at] == '\\')
            ++at;
        else if (text[at] == '"')
            return at + 1;
    }
    return end;
}

int skipSpace(const char *text, int at, int end)
{
    while (at < end && isSpace(text[at]))
        ++at;
    return at;
}

// Copies the value that starts at `at` into *out without the whitespace
// between tokens, up to the ',' or '}' that ends it in its object; returns
// the index of that character (end when there is none).
int copyValue(const char *text, int at, int end, QByteArray *out)
{
    int depth = 0;
    while (at < end) {
        const char c = text[at];
        if (isSpace(c)) {
            ++at;
        } else if (c == '"') {
            const int next = skipString(text, at, end);
            out->append(text + at, next - at);
            at = next;
        } else if ((c == ',' || c == '}' || c == ']') && depth == 0) {
            return at;
        } else {
            if (c == '[' || c == '{')
                ++depth;
            else if (c == ']' || c == '}')
                --depth;
            out->append(c);
            ++at;
        }
    }
    return end;
}

} // namespace

bool Fits(const QByteArray &text, const Bounds &bounds)
{
    if (text.size() > bounds.maxBytes)
        return false;
    const char *data = text.constData();
    const int end = text.size();
    int depth = 0;
    for (int at = 0; at < end;) {
        const char c = data[at];
        if (c == '"') {
            at = skipString(data, at, end);
            continue;
        }
        if (c == '[' || c == '{') {
            if (++depth > bounds.maxDepth)
                return false;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
        ++at;
    }
    return true;
}

bool ParseObject(const QByteArray &text, const Bounds &bounds, QJsonObject *object)
{
    if (!Fits(text, bounds))
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    *object = document.object();
    return true;
}

bool SplitObject(const QByteArray &text, Members *members)
{
    const char *data = text.constData();
    const int end = text.size();
    int at = 0;
    if (text.startsWith("\xEF\xBB\xBF"))   // a byte order mark, which Qt skips too
        at = 3;
    at = skipSpace(data, at, end);
    if (at == end || data[at] != '{')
        return false;
    at = skipSpace(data, at + 1, end);

    Members found;
    if (at < end && data[at] == '}') {
        *members = found;
        return true;
    }
    for (;;) {
        if (at == end || data[at] != '"')
            return false;
        const int keyEnd = skipString(data, at, end);
        // The key's escapes are Qt's to decode: the key alone, in an array.
        const QByteArray keyText = '[' + text.mid(at, keyEnd - at) + ']';
        const QJsonArray keyArray = QJsonDocument::fromJson(keyText).array();
        if (keyArray.size() != 1 || !keyArray.at(0).isString())
            return false;
        at = skipSpace(data, keyEnd, end);
        if (at == end || data[at] != ':')
            return false;
        QByteArray value;
        at = copyValue(data, at + 1, end, &value);
        if (at == end || value.isEmpty())
            return false;
        found.insert(keyArray.at(0).toString(), value);
        if (data[at] == '}')
            break;
        if (data[at] != ',')
            return false;
        at = skipSpace(data, at + 1, end);
    }
    *members = found;
    return true;
}

QByteArray ValueText(const QJsonValue &value)
{
    // Qt writes a lone value only inside a document: "[value]" without the brackets.
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray ObjectText(const Members &members)
{
    QByteArray text = "{";
    for (auto it = members.constBegin(); it != members.constEnd(); ++it) {
        if (it != members.constBegin())
            text += ',';
        text += ValueText(it.key());
        text += ':';
        text += it.value();
    }
    text += '}';
    return text;
}

} // namespace JsonText
