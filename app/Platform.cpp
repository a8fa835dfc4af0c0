#include "Platform.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Platform {
namespace {

MessageHook &messageHook()
{
    static MessageHook hook;
    return hook;
}

WindowHook &windowHook()
{
    static WindowHook hook;
    return hook;
}

#ifndef Q_OS_WIN
void writeMessageLine(const QString &title, const QString &text)
{
    const QByteArray line = (title + QStringLiteral(": ") + text + QLatin1Char('\n')).toLocal8Bit();
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
}
#endif

} // namespace

void setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

void setWindowHook(WindowHook hook)
{
    windowHook() = std::move(hook);
}

void showMessage(const QString &title, const QString &text)
{
    if (messageHook()) {
        messageHook()(title, text);
        return;
    }
#ifdef Q_OS_WIN
    MessageBoxW(nullptr, reinterpret_cast<LPCWSTR>(text.utf16()),
                reinterpret_cast<LPCWSTR>(title.utf16()), MB_OK);
#else
    writeMessageLine(title, text);
#endif
}

void showMessage(const char *title, const char *text)
{
    if (messageHook()) {
        messageHook()(QString::fromLocal8Bit(title), QString::fromLocal8Bit(text));
        return;
    }
#ifdef Q_OS_WIN
    MessageBoxA(nullptr, text, title, MB_OK);
#else
    writeMessageLine(QString::fromLocal8Bit(title), QString::fromLocal8Bit(text));
#endif
}

bool bringWindowToFront(const QString &windowClass)
{
    if (windowHook())
        return windowHook()(windowClass);
#ifdef Q_OS_WIN
    HWND window = FindWindowW(reinterpret_cast<LPCWSTR>(windowClass.utf16()), nullptr);
    if (!window)
        return false;
    SetForegroundWindow(window);
    return true;
#else
    Q_UNUSED(windowClass)
    return false;
#endif
}

} // namespace Platform
