// The background texture's creation and the editor's background picture.
#include "model/Frame.h"

#include "app/Log.h"
#include "playback/TextureDevice.h"

std::unique_ptr<CDeviceTexture> CFrame::CreateTexture(CTextureDevice* device, int width, int height)
{
    if (!device)
        return nullptr;
    std::unique_ptr<CDeviceTexture> texture = device->CreateTexture(width, height);
    if (!texture) {
        WriteLog(kLogFailure, "CFrame::CreateTexture(): CreateTexture(%d, %d) failed", width, height);
        return nullptr;
    }
    if (texture->Width() != width || texture->Height() != height) {
        WriteLog(kLogFailure, "CFrame::CreateTexture(): incorrect texture size: %dx%d, should be: %dx%d",
                 texture->Width(), texture->Height(), width, height);
        return nullptr;
    }
    return texture;
}

const CPicture& CFrame::GetBackgroundPreview()
{
    if (previewBackgroundValid)
        return previewBackground;
    const int w = rect.Width(), h = rect.Height();
    previewBackground.Resize(w, h);
    if (backgroundType == kBackgroundSolid) {
        previewBackground.Fill(0, backgroundColor);
    } else {
        // While the object plays, its frames belong to the render thread:
        // the preview shows them as they are.
        const bool loaded = playing.load() ? !backgroundFrames.empty() : InitBackground() != 0;
        if (loaded && !backgroundFrames.empty()) {
            backgroundError.exchange(0);
            CPicture middle;
            backgroundFrames[backgroundFrames.size() / 2].picture.Decompress(middle);
            if (middle.width == w && middle.height == h)
                previewBackground = std::move(middle);
            else
                previewBackground.StretchFrom(middle, w, h);
        } else {
            previewBackground.Fill(0, 0xFF000000u);
            backgroundError.exchange(1);
        }
    }
    previewBackgroundValid = 1;
    return previewBackground;
}
