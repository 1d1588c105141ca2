// One object record of a page file: a 512-byte block of settings, the
// strings, the rich text and the background frames.
#include "model/Frame.h"

#include "model/FrameSettings.h"

#include "model/PageFile.h"
#include "model/UniFile.h"

#include <algorithm>
#include <cstring>

using namespace frame_record;

namespace {

constexpr int kFrameHeaderSize = 64;

bool InBlock(const FrameSetting& setting)
{
    return setting.storage == SettingStorage::Block || setting.storage == SettingStorage::Timer;
}

// The settings kept as strings, by their place after the block.
std::vector<const FrameSetting*> StringSettings()
{
    std::vector<const FrameSetting*> strings;
    for (const FrameSetting& setting : FrameSettings()) {
        if (setting.storage != SettingStorage::String)
            continue;
        if (size_t(setting.position) >= strings.size())
            strings.resize(size_t(setting.position) + 1);
        strings[size_t(setting.position)] = &setting;
    }
    return strings;
}

const std::vector<const FrameSetting*>& StoredStrings()
{
    static const std::vector<const FrameSetting*> strings = StringSettings();
    return strings;
}

void ReadBlockSetting(CFrame& object, const FrameSetting& setting, const uint8_t* block)
{
    const int at = setting.position;
    switch (setting.Kind()) {
    case SettingKind::Int: {
        int& value = object.*std::get<int CFrame::*>(setting.member);
        value = GetInt32(block, at);
        if (setting.clampedOnRead)
            value = std::clamp(value, setting.minimum, setting.maximum);
        break;
    }
    case SettingKind::Colour:
        object.*std::get<uint32_t CFrame::*>(setting.member) = uint32_t(GetInt32(block, at));
        break;
    case SettingKind::Rect:
        object.*std::get<CRect CFrame::*>(setting.member) =
            CRect{GetInt32(block, at), GetInt32(block, at + 4), GetInt32(block, at + 8), GetInt32(block, at + 12)};
        break;
    default:
        break;
    }
}

void WriteBlockSetting(const CFrame& object, const FrameSetting& setting, uint8_t* block)
{
    const int at = setting.position;
    switch (setting.Kind()) {
    case SettingKind::Int:
        PutInt32(block, at, object.*std::get<int CFrame::*>(setting.member));
        break;
    case SettingKind::Colour:
        PutInt32(block, at, object.*std::get<uint32_t CFrame::*>(setting.member));
        break;
    case SettingKind::Rect: {
        const CRect& rect = object.*std::get<CRect CFrame::*>(setting.member);
        PutInt32(block, at, rect.left);
        PutInt32(block, at + 4, rect.top);
        PutInt32(block, at + 8, rect.right);
        PutInt32(block, at + 12, rect.bottom);
        break;
    }
    default:
        break;
    }
}

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

int CFrame::Load(CUniFile& file, const QString& pagePath, bool* framesDropped)
{
    uint8_t block[kBlockSize];
    if (!file.ReadExact(block, kBlockSize))
        return 0;
    for (const FrameSetting& setting : FrameSettings()) {
        if (InBlock(setting))
            ReadBlockSetting(*this, setting, block);
    }
    if (GetInt32(block, kHasTimerStopOffset) == 0) {
        // Old records hold one value, where timerStart is now: where a down
        // timer starts, or where an up timer stops.
        const int timerValue = timerStart;
        timerStart = timerDirection == kTimerDown ? timerValue : 0;
        timerStop = timerDirection == kTimerDown ? 0 : timerValue;
    }

    const std::vector<const FrameSetting*>& strings = StoredStrings();
    const int stringCount = GetInt32(block, kStringCountOffset);
    for (int i = 0; i < stringCount; ++i) {
        QString text;
        if (!file.ReadString(text))
            return 0;
        // Strings of newer records that this one does not know are passed over.
        const FrameSetting* setting = size_t(i) < strings.size() ? strings[size_t(i)] : nullptr;
        if (!setting)
            continue;
        if (setting->unit == SettingUnit::FilePath)
            text = ExpandFromPage(text, pagePath);
        this->*std::get<QString CFrame::*>(setting->member) = text;
    }

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
    bool sizesDiffer = false;
    for (int i = 0; i < frameCount; ++i) {
        uint8_t header[kFrameHeaderSize];
        if (!file.ReadExact(header, kFrameHeaderSize))
            return 0;
        // Frames beyond the limit, and all frames once their sizes differed,
        // are passed over, not left to be misread as the next object.
        if (sizesDiffer || int(backgroundFrames.size()) >= kMaxBackgroundFrames) {
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
            // far more memory than the file's bytes. The object loses its
            // frames, the page keeps the object and the others.
            sizesDiffer = true;
            backgroundFrames = {};
            backgroundWidth = backgroundHeight = 0;
            continue;
        }
        frame.duration = GetInt32(header, 8);
        backgroundFrames.push_back(std::move(frame));
    }
    if (framesDropped)
        *framesDropped = sizesDiffer;
    InvalidatePreview();
    return file.status == CUniFile::kOk;
}

int CFrame::Save(CUniFile& file, const QString& pagePath) const
{
    uint8_t block[kBlockSize] = {};
    for (const FrameSetting& setting : FrameSettings()) {
        if (InBlock(setting))
            WriteBlockSetting(*this, setting, block);
    }
    const std::vector<const FrameSetting*>& strings = StoredStrings();
    PutInt32(block, kStringCountOffset, int64_t(strings.size()));
    PutInt32(block, kRichTextSizeOffset, richText.size());
    const int frameCount = linkImageFile ? 0 : int(backgroundFrames.size());
    PutInt32(block, kFrameCountOffset, frameCount);
    PutInt32(block, kHasTimerStopOffset, 1);
    file.WriteExact(block, kBlockSize);

    for (const FrameSetting* setting : strings) {
        const QString text = setting ? this->*std::get<QString CFrame::*>(setting->member) : QString();
        file.WriteString(setting && setting->unit == SettingUnit::FilePath ? RelativeToPage(text, pagePath) : text);
    }
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
