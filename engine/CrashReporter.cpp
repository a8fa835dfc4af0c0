#include "CrashReporter.h"

#include "EngineSupport.h"
#include "KelvraFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace CrashReporter {

namespace {

// Everything the handler touches is prepared beforehand: a handler may not
// allocate, lock or call into Qt.
char gReportPath[4096] = {};
bool gInstalled = false;

QString defaultReportDirectory()
{
    const QString fromEnvironment = qEnvironmentVariable("KELVRA_USER_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return EngineSupport::DefaultUserDirectory();
}

void storeReportPath(const QString &directory)
{
    const QByteArray path = QDir::toNativeSeparators(
        QDir::cleanPath(directory) + QStringLiteral("/crashreport.txt")).toLocal8Bit();
    if (path.size() >= int(sizeof(gReportPath))) {
        gReportPath[0] = '\0';
        return;
    }
    std::memcpy(gReportPath, path.constData(), size_t(path.size()) + 1);
}

const char kReportStart[] = "Kelvra crashed:";

// Keeps the newest reports: the tail of the file from the first report that
// starts within it. A tail without any report start is kept from its first
// whole line, one without any line end whole. Only a regular file is touched, and it is replaced atomically.
void trimReport(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink() || info.size() <= MaxReportBytes)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(file.size() - KeptReportBytes))
        return;
    const QByteArray tail = file.read(KeptReportBytes);
    file.close();
    if (tail.size() != KeptReportBytes)
        return;
    int begin = 0;
    if (!tail.startsWith(kReportStart)) {
        int at = tail.indexOf(QByteArray("\n") + kReportStart);
        if (at < 0)
            at = tail.indexOf('\n');
        begin = at + 1;  // 0 without any line end: the tail is kept whole
    }
    KelvraFiles::WriteAtomically(path, tail.mid(begin));
}

#ifdef Q_OS_WIN

LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter = nullptr;

LONG WINAPI reportException(EXCEPTION_POINTERS *exception)
{
    HANDLE file = CreateFileA(gReportPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char line[96];
        const DWORD code = exception && exception->ExceptionRecord
            ? exception->ExceptionRecord->ExceptionCode : 0;
        const int length = wsprintfA(line, "Kelvra crashed: exception 0x%08lx\r\n", code);
        DWORD written = 0;
        WriteFile(file, line, DWORD(length), &written, nullptr);
        CloseHandle(file);
    }
    return gPreviousFilter ? gPreviousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

#else

const int kSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr int kSignalCount = int(sizeof(kSignals) / sizeof(kSignals[0]));
struct sigaction gPrevious[kSignalCount];
// A stack of its own, so a stack overflow can still be reported.
alignas(16) char gAlternateStack[64 * 1024];
stack_t gPreviousStack;

void writeText(int fd, const char *text)
{
    const ssize_t ignored = write(fd, text, strlen(text));
    (void)ignored;
}

void writeNumber(int fd, int number)
{
    char digits[16];
    int length = 0;
    unsigned value = number < 0 ? unsigned(-number) : unsigned(number);
    do {
        digits[length++] = char('0' + value % 10);
        value /= 10;
    } while (value && length < 15);
    char text[18];
    int at = 0;
    if (number < 0)
        text[at++] = '-';
    while (length)
        text[at++] = digits[--length];
    text[at] = '\0';
    writeText(fd, text);
}

void reportSignal(int signalNumber)
{
    // O_NONBLOCK: a pipe put there in place of the report must not hold the
    // dying process; with no reader the open fails and stderr is used.
    int fd = gReportPath[0] ? open(gReportPath, O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0644) : -1;
    if (fd < 0)
        fd = STDERR_FILENO;
    writeText(fd, "Kelvra crashed: signal ");
    writeNumber(fd, signalNumber);
    writeText(fd, "\n");
    void *frames[64];
    const int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, fd);
    writeText(fd, "\n");
    if (fd != STDERR_FILENO)
        close(fd);

    // Hand the signal to whoever had it before, then let it end the process.
    for (int i = 0; i < kSignalCount; ++i) {
        if (kSignals[i] == signalNumber)
            sigaction(signalNumber, &gPrevious[i], nullptr);
    }
    raise(signalNumber);
}

#endif

} // namespace

void Install()
{
    if (gInstalled)
        return;
    if (!gReportPath[0])
        storeReportPath(defaultReportDirectory());
    if (gReportPath[0])
        trimReport(ReportPath());
#ifdef Q_OS_WIN
    gPreviousFilter = SetUnhandledExceptionFilter(reportException);
#else
    // backtrace() loads its unwinder on first use, which may allocate; do it
    // now rather than inside the handler.
    void *warmUp[1];
    backtrace(warmUp, 1);

    stack_t stack = {};
    stack.ss_sp = gAlternateStack;
    stack.ss_size = sizeof(gAlternateStack);
    sigaltstack(&stack, &gPreviousStack);

    struct sigaction action = {};
    action.sa_handler = reportSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &action, &gPrevious[i]);
#endif
    gInstalled = true;
}

void Uninstall()
{
    if (!gInstalled)
        return;
#ifdef Q_OS_WIN
    SetUnhandledExceptionFilter(gPreviousFilter);
    gPreviousFilter = nullptr;
#else
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &gPrevious[i], nullptr);
    sigaltstack(&gPreviousStack, nullptr);
#endif
    gInstalled = false;
}

bool IsInstalled()
{
    return gInstalled;
}

void SetReportDirectory(const QString &directory)
{
    storeReportPath(directory);
}

QString ReportPath()
{
    return QDir::fromNativeSeparators(QString::fromLocal8Bit(gReportPath));
}

} // namespace CrashReporter
