// Language pack files are outside data: any file must load into at most ten
// packs (or none) and answer look-ups afterwards.
#include "FuzzFile.h"

#include "app/Translate.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CFuzzFile file;
    CTranslate packs;
    packs.Load(file.Hold(data, size));
    if (packs.PackCount() > CTranslate::kMaxPacks)
        __builtin_trap();
    for (int index = -1; index <= packs.PackCount() + 1; ++index) {
        packs.Select(index, 1049);
        (void)packs.Resource(StringKey(10209));
        (void)packs.LanguageName(index);
    }
    return 0;
}
