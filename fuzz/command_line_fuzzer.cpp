// The command line is outside data: any bytes split into arguments must parse
// into an instance kind without trouble.
#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const CMyCommandLineInfo info = ParseCommandLine(text.split(QChar(u'\0')));
    const InstanceKind kind = DecideInstanceKind(info);
    if (!kind.pageToOpen.isEmpty() && kind.editMode != 1)
        __builtin_trap();
    return 0;
}
