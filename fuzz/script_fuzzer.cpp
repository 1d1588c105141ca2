// Script files are outside data: any bytes must load what is valid or fail
// cleanly, and whatever loads must save and load again unchanged.
#include "scripts/FrameScript.h"

#include <cstddef>
#include <cstdint>

namespace {

const QString kPath = QStringLiteral("/show/Morning.script");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFrameScript script;
    const bool loaded =
        script.LoadXml(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), kPath);
    if (loaded != !script.items.empty())
        __builtin_trap();
    for (const CFrameScriptItem& item : script.items) {
        if (!CFrameScriptItem::ValidType(item.type))
            __builtin_trap();
        CFrameScript::Describe(item);
    }

    // The first save may normalise line breaks inside text; from then on the
    // file must be stable.
    QByteArray first;
    QByteArray second;
    CFrameScript reloaded;
    CFrameScript again;
    if (!script.SaveXml(kPath, &first) || reloaded.LoadXml(first, kPath) != loaded)
        __builtin_trap();
    if (!reloaded.SaveXml(kPath, &second) || again.LoadXml(second, kPath) != loaded)
        __builtin_trap();
    if (again.items != reloaded.items || again.loop != reloaded.loop || again.loop != script.loop)
        __builtin_trap();
    return 0;
}
