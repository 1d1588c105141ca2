// One object record of a page file: a 512-byte block of settings, the
// strings, the rich text and the background frames.
#include "model/Frame.h"

#include "model/PageFile.h"
#include "model/UniFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kBlockSize = 512;
constexpr int kFrameHeaderSize = 64;
constexpr int kStringsWritten = 5;

// Settings stored as plain ints, by their offset in the block. The colour,
// the rectangle, the counts and the timer values are read and written apart.
struct IntField
{
    int offset;
    int CFrame::*member;
};

constexpr IntField kIntFields[] = {
    {0, &CFrame::backgroundType},
    {4, &CFrame::locked},
    {8, &CFrame::movement},
    {12, &CFrame::speed},
    {16, &CFrame::loop},
    {20, &CFrame::showWhileMoving},
    {28, &CFrame::textAlpha},
    {32, &CFrame::textSource},
    {36, &CFrame::encoding},
    {40, &CFrame::firstLineIsHeader},
    {44, &CFrame::showFor},
    {48, &CFrame::startDelay},
    {52, &CFrame::inEffect},
    {56, &CFrame::inDuration},
    {60, &CFrame::fadeIn},
    {64, &CFrame::outEffect},
    {68, &CFrame::outDuration},
    {72, &CFrame::fadeOut},
    {76, &CFrame::repeat},
    {108, &CFrame::monitorFile},
    {112, &CFrame::showIndefinitely},
    {116, &CFrame::separator},
    {120, &CFrame::loopAnimation},
    {124, &CFrame::switcherButton},
    {128, &CFrame::reverse},
    {136, &CFrame::timerDirection},
    {140, &CFrame::startFromEdge},
    {144, &CFrame::barGraph},
    {148, &CFrame::hotkey},
    {152, &CFrame::linkImageFile},
    {156, &CFrame::dropShadow},
};

constexpr int kColourOffset = 24;
constexpr int kRectOffset = 80;
constexpr int kStringCountOffset = 96;
constexpr int kRichTextSizeOffset = 100;
constexpr int kFrameCountOffset = 104;
constexpr int kTimerStartOffset = 132;  // the single timer value of old records
constexpr int kHasTimerStopOffset = 160;
constexpr int kTimerStopOffset = 164;

void MarkCorrupt(CUniFile& file)
{
    if (file.status == CUniFile::kOk)
        file.status = CUniFile::kCorrupt;
}

// Reads the payload after a frame header. With no picture to fill, the
// payload is skipped (frames beyond the limit), so the next record is found.
int ReadFramePayload(CUniFile& file, const uint8_t* header, CCompressedPicture* picture)
{
    const int width = GetInt32(header, 0), height = GetInt32(header, 4);
    const int compressed = GetInt32(header, 12), payloadSize = GetInt32(header, 16);
    if (width < 0 || height < 0 || width > CPicture::kMaxSide || height > CPicture::kMaxSide
        || (compressed != 0 && payloadSize < -1)) {
        MarkCorrupt(file);
        return 0;
    }
    const bool runLength = compressed != 0 && payloadSize != -1;
    const int64_t rawSize = int64_t(width) * height * 4;
    const int64_t size = runLength ? payloadSize : rawSize;
    if (!file.Available(size))
        return 0;
    if (!picture)
        return file.Skip(size);
    if (runLength) {
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (!file.ReadExact(bytes.data(), size))
            return 0;
        if (!picture->SetRunLength(width, height, std::move(bytes)))
            MarkCorrupt(file);
        return file.status == CUniFile::kOk;
    }
    // Raw pixels: the only scratch buffer of a load, and it becomes the
    // frame itself when compressing would not pay.
    std::vector<uint32_t> raw(size_t(width) * size_t(height));
    if (!file.ReadExact(raw.data(), size))
        return 0;
    if (compressed)
        return picture->SetRaw(width, height, std::move(raw));
    CPicture frame;
    frame.width = width;
    frame.height = height;
    frame.pixels = std::move(raw);
    *picture = CCompressedPicture(std::move(frame));
    return 1;
}

}  // namespace

int CFrame::Load(CUniFile& file, const QString& pagePath)
{
    uint8_t block[kBlockSize];
    if (!file.ReadExact(block, kBlockSize))
        return 0;
    for (const IntField& field : kIntFields)
        this->*field.member = GetInt32(block, field.offset);
    backgroundColor = uint32_t(GetInt32(block, kColourOffset));
    speed = std::clamp(speed, int(kSpeedSlow), int(kSpeedFast));
    rect = CRect{GetInt32(block, kRectOffset), GetInt32(block, kRectOffset + 4), GetInt32(block, kRectOffset + 8),
                 GetInt32(block, kRectOffset + 12)};
    const int timerValue = GetInt32(block, kTimerStartOffset);
    if (GetInt32(block, kHasTimerStopOffset) != 0) {
        timerStart = timerValue;
        timerStop = GetInt32(block, kTimerStopOffset);
    } else if (timerDirection == kTimerDown) {
        // Old records hold one value: where a down timer starts, or where an up timer stops.
        timerStart = timerValue;
        timerStop = 0;
    } else {
        timerStart = 0;
        timerStop = timerValue;
    }

    QString* const strings[kStringsWritten] = {&fileName, &clockFormat, &timerFormat, &group, &imageFileName};
    const int stringCount = GetInt32(block, kStringCountOffset);
    for (int i = 0; i < stringCount; ++i) {
        QString text;
        if (!file.ReadString(text))
            return 0;
        if (i < kStringsWritten)
            *strings[i] = text;
    }
    fileName = ExpandFromPage(fileName, pagePath);
    imageFileName = ExpandFromPage(imageFileName, pagePath);

    const int richTextSize = GetInt32(block, kRichTextSizeOffset);
    richText.clear();
    if (richTextSize != 0) {
        if (!file.Available(richTextSize))
            return 0;
        richText.resize(richTextSize);
        if (!file.ReadExact(richText.data(), richTextSize))
            return 0;
    }

    backgroundFrames.clear();
    const int frameCount = GetInt32(block, kFrameCountOffset);
    for (int i = 0; i < frameCount; ++i) {
        uint8_t header[kFrameHeaderSize];
        if (!file.ReadExact(header, kFrameHeaderSize))
            return 0;
        // Frames beyond the limit are passed over, not left to be misread
        // as the next object.
        if (int(backgroundFrames.size()) >= kMaxBackgroundFrames) {
            if (!ReadFramePayload(file, header, nullptr))
                return 0;
            continue;
        }
        CFrameBackground frame;
        if (!ReadFramePayload(file, header, &frame.picture))
            return 0;
        if (backgroundFrames.empty()) {
            backgroundWidth = frame.picture.width;
            backgroundHeight = frame.picture.height;
        } else if (frame.picture.width != backgroundWidth || frame.picture.height != backgroundHeight) {
            // All frames of an object share the first one's size; the program
            // never writes anything else, and fitting a stray frame could cost
            // far more memory than the file's bytes.
            MarkCorrupt(file);
            return 0;
        }
        frame.duration = GetInt32(header, 8);
        backgroundFrames.push_back(std::move(frame));
    }
    InvalidatePreview();
    return file.status == CUniFile::kOk;
}

int CFrame::Save(CUniFile& file, const QString& pagePath) const
{
    uint8_t block[kBlockSize] = {};
    for (const IntField& field : kIntFields)
        PutInt32(block, field.offset, this->*field.member);
    PutInt32(block, kColourOffset, backgroundColor);
    PutInt32(block, kRectOffset, rect.left);
    PutInt32(block, kRectOffset + 4, rect.top);
    PutInt32(block, kRectOffset + 8, rect.right);
    PutInt32(block, kRectOffset + 12, rect.bottom);
    PutInt32(block, kStringCountOffset, kStringsWritten);
    PutInt32(block, kRichTextSizeOffset, richText.size());
    const int frameCount = linkImageFile ? 0 : int(backgroundFrames.size());
    PutInt32(block, kFrameCountOffset, frameCount);
    PutInt32(block, kTimerStartOffset, timerStart);
    PutInt32(block, kHasTimerStopOffset, 1);
    PutInt32(block, kTimerStopOffset, timerStop);
    file.WriteExact(block, kBlockSize);

    file.WriteString(RelativeToPage(fileName, pagePath));
    file.WriteString(clockFormat);
    file.WriteString(timerFormat);
    file.WriteString(group);
    file.WriteString(RelativeToPage(imageFileName, pagePath));
    file.WriteExact(richText.constData(), richText.size());

    for (int i = 0; i < frameCount; ++i) {
        const CFrameBackground& frame = backgroundFrames[size_t(i)];
        uint8_t header[kFrameHeaderSize] = {};
        PutInt32(header, 0, frame.picture.width);
        PutInt32(header, 4, frame.picture.height);
        PutInt32(header, 8, frame.duration);
        PutInt32(header, 12, 1);
        PutInt32(header, 16, frame.picture.compressedSize);
        file.WriteExact(header, kFrameHeaderSize);
        file.WriteExact(frame.picture.StoredBytes(), int64_t(frame.picture.StoredSize()));
    }
    return file.status == CUniFile::kOk;
}
