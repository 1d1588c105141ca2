#pragma once

#include "content/PictureDecoder.h"

#include <memory>

// The readers built on libpng, libjpeg-turbo and giflib (PictureLibraries.cpp).
int DecodePng(const uint8_t* data, size_t size, CPictureDecoder::Frame& frame);
int DecodeJpeg(const uint8_t* data, size_t size, CPictureDecoder::Frame& frame);
// Frames whose image data is complete, at most kMaxGifFrames.
int CountGifFrames(const uint8_t* data, size_t size);
// Frame `index` composed over the frames before it; `state` keeps the
// canvas between calls so that frames asked for in order decode once each.
int DecodeGifFrame(const uint8_t* data, size_t size, int index, std::unique_ptr<CPictureDecoder::GifState>& state,
                   CPictureDecoder::Frame& frame);

inline constexpr int kMaxGifFrames = 20000;
