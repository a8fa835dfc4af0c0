// libFuzzer entry for one reader; KELVRA_FUZZ_TARGET names which (see
// FuzzTargets.h). Built only in the clang fuzz build (scripts/fuzz).

#include "FuzzTargets.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Image format plugins and Qt's file engines want an application object.
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const QString problem = FuzzTargets::run(QStringLiteral(KELVRA_FUZZ_TARGET), bytes);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", KELVRA_FUZZ_TARGET, qPrintable(problem));
        std::abort();
    }
    return 0;
}
