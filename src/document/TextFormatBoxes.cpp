#include "document/TextFormatBoxes.h"

namespace {

constexpr int kFontSizes[] = {10, 12, 14, 16, 20, 24, 28, 32, 40, 50, 60, 70, 80, 90, 100, 110, 120, 140, 160, 180, 200, 240};
constexpr int kTypedSizeMin = 8;
constexpr int kTypedSizeMax = 200;

}  // namespace

std::span<const int> FontSizeChoices()
{
    return kFontSizes;
}

std::optional<int> AcceptTypedFontSize(const QString& text)
{
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    if (!ok || size < kTypedSizeMin || size > kTypedSizeMax)
        return std::nullopt;
    return size;
}
