// Text source files are outside data: any bytes in any encoding must decode
// into lines without terminators or dropped characters, never more
// characters than bytes, and end.
#include "FuzzFile.h"

#include "model/Frame.h"
#include "playback/NonStdioFile.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr int kCodePages[] = {1252, 1251, 1250, 1253, 1255, 1258, 932};

bool IsTerminatorOrDropped(char16_t c, bool unicode)
{
    if (c == 0 || c == 10 || c == 11 || c == 13)
        return true;
    if (!unicode)
        return false;
    return c == 0x85 || c == 0x2028 || c == 0x2029 || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFEFF
           || (c >= 0xFDD0 && c <= 0xFDEF) || c > 0xFFFD;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CFuzzFile file;
    if (size < 1)
        return 0;
    // First byte: the encoding (low three bits, 5..7 are out of range and
    // must read as Auto) and the code page.
    const int encoding = data[0] & 7;
    const int codePage = kCodePages[(data[0] >> 3) % std::size(kCodePages)];
    const QString path = file.Hold(data + 1, size - 1);

    CNonStdioFile reader(codePage);
    if (!reader.Open(path, encoding))
        __builtin_trap();
    const bool unicode = reader.Mode() != kEncodingAnsi;
    qsizetype total = 0;
    QString line;
    while (reader.ReadLine(line)) {
        total += line.size();
        for (const QChar c : line) {
            if (IsTerminatorOrDropped(c.unicode(), unicode))
                __builtin_trap();
        }
        if (total > static_cast<qsizetype>(size))
            __builtin_trap();
    }
    if (reader.ReadLine(line))  // stays at the end
        __builtin_trap();
    return 0;
}
