#include "Platform.h"

#include <QGuiApplication>
#include <QWindow>

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

int bringOwnWindowsForward()
{
    int handled = 0;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        // A minimized window still counts as visible; one never shown or
        // closed is left alone.
        if (!window->isVisible())
            continue;
        // Only the minimized flag goes: a maximized window stays maximized
        // (show() would apply the platform's default state instead).
        window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
        window->raise();
        window->requestActivate();
        ++handled;
    }
    return handled;
}

} // namespace Platform
