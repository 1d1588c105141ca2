// The background frames of an object.
#include "model/Frame.h"

#include <algorithm>

namespace {

constexpr int kMinBackgroundSide = 16;

}  // namespace

int CFrame::AddBackgroundFrame(int maxHeight, const CPicture& picture, int maxWidth, int duration)
{
    if (int(backgroundFrames.size()) >= kMaxBackgroundFrames)
        return 0;
    const bool first = backgroundFrames.empty();
    const int commonWidth = first ? std::max(kMinBackgroundSide, std::min(picture.width, maxWidth)) : backgroundWidth;
    const int commonHeight =
        first ? std::max(kMinBackgroundSide, std::min(picture.height, maxHeight)) : backgroundHeight;

    if (picture.width != commonWidth || picture.height != commonHeight) {
        // Larger pictures keep their top-left part; smaller ones are padded
        // with transparent pixels.
        CPicture cropped;
        cropped.CropFrom(commonWidth, commonHeight, picture);
        backgroundFrames.emplace_back(CCompressedPicture(std::move(cropped)), duration);
    } else {
        CCompressedPicture compressed(picture);
        // A still picture imported as a sequence costs one frame.
        if (!first && compressed.SameStoredBytes(backgroundFrames.back().picture)) {
            backgroundFrames.back().duration += duration;
            return 1;
        }
        backgroundFrames.emplace_back(std::move(compressed), duration);
    }
    backgroundWidth = commonWidth;
    backgroundHeight = commonHeight;
    return 1;
}
