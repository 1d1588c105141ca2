// The background frames of an object.
#include "model/Frame.h"

#include <algorithm>

namespace {

constexpr int kMinBackgroundSide = 16;

}  // namespace

int AppendBackgroundFrame(std::vector<CFrameBackground>& frames, int& width, int& height, int maxHeight,
                          const CPicture& picture, int maxWidth, int duration)
{
    if (int(frames.size()) >= kMaxBackgroundFrames)
        return 0;
    const bool first = frames.empty();
    const int commonWidth = first ? std::max(kMinBackgroundSide, std::min(picture.width, maxWidth)) : width;
    const int commonHeight = first ? std::max(kMinBackgroundSide, std::min(picture.height, maxHeight)) : height;

    if (picture.width != commonWidth || picture.height != commonHeight) {
        // Larger pictures keep their top-left part; smaller ones are padded
        // with transparent pixels.
        CPicture cropped;
        cropped.CropFrom(commonWidth, commonHeight, picture);
        frames.emplace_back(CCompressedPicture(std::move(cropped)), duration);
    } else {
        CCompressedPicture compressed(picture);
        // A still picture imported as a sequence costs one frame.
        if (!first && compressed.SameStoredBytes(frames.back().picture)) {
            frames.back().duration += duration;
            return 1;
        }
        frames.emplace_back(std::move(compressed), duration);
    }
    width = commonWidth;
    height = commonHeight;
    return 1;
}

int CFrame::AddBackgroundFrame(int maxHeight, const CPicture& picture, int maxWidth, int duration)
{
    return AppendBackgroundFrame(backgroundFrames, backgroundWidth, backgroundHeight, maxHeight, picture, maxWidth,
                                 duration);
}
