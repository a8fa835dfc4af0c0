#pragma once

#include <QString>

#include <functional>

// The few desktop services the start-up sequence needs: a modal message for
// the errors that end the run early, and bringing another program's window
// to the front after an import.
//
// On Windows these are the real message boxes and window search. Elsewhere a
// message is written as one line "<title>: <text>" on stderr, and the window
// search finds nothing (there is no "KVClass" window outside Windows).
//
// Tests observe and replace both services through the hooks; an empty hook
// restores the platform's own behaviour.
namespace Platform {

using MessageHook = std::function<void(const QString &title, const QString &text)>;
// Returns true when a window of that class was found and brought forward.
using WindowHook = std::function<bool(const QString &windowClass)>;

void setMessageHook(MessageHook hook);
void setWindowHook(WindowHook hook);

// A message with an OK button only and no owner window, shown before the run
// ends. The wide variant carries any text (such as a user's file path); the
// 8-bit variant is for fixed messages.
void showMessage(const QString &title, const QString &text);
void showMessage(const char *title, const char *text);

// Looks for a top-level window of the class; when one exists, brings it to
// the foreground and returns true.
bool bringWindowToFront(const QString &windowClass);

// Brings this program's own shown windows forward (restored when minimized,
// raised and activated); the number of windows handled. Needs the GUI
// application object.
int bringOwnWindowsForward();

} // namespace Platform
