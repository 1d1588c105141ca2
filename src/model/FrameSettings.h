#pragma once

#include "model/Frame.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

// The register of an object's stored settings: one row per setting with its
// name, its member, its range, which copies carry it and where the page file
// keeps it. Copying, the page file record and `tavrel-tool info` walk this
// table, so a new setting is one member in CFrame and one row here.

// The member a setting lives in. The alternative's index is its kind.
using FrameSettingMember = std::variant<int CFrame::*, uint32_t CFrame::*, CRect CFrame::*, QString CFrame::*,
                                        QByteArray CFrame::*, std::vector<CFrameBackground> CFrame::*>;

enum class SettingKind : uint8_t { Int, Colour, Rect, String, RichText, Frames };

// What an int (or a string) means, for editors and for the rules that
// depend on it.
enum class SettingUnit : uint8_t {
    None,
    Flag,          // 0 or 1
    Choice,        // one entry of a list: minimum + the entry's index, every value of the range an entry
    Pixels,
    Milliseconds,  // shown as seconds with fractions
    Seconds,       // a timer value, shown as hh:mm:ss
    Alpha,         // opacity 0..255, shown as transparency in percent
    FilePath,      // stored relative to the page ("+") when inside its folder
};

// Which copies carry a setting (bits).
enum SettingCopy : uint8_t {
    kCopiedByNone = 0,
    kCopiedByCopy = 1,      // the copy constructor (clone, paste, undo)
    kCopiedBySettings = 2,  // CFrame::CopySettings (undo of property changes)
    kCopiedByBoth = kCopiedByCopy | kCopiedBySettings,
};

// Where the object record of a page file keeps a setting.
enum class SettingStorage : uint8_t {
    Block,      // at `position` in the settings block: 4 bytes (int, colour) or 16 (rectangle)
    Timer,      // as Block, but records without a timer stop hold one value for both (FrameFile.cpp)
    String,     // the `position`-th string after the block
    RichText,   // size in the block, bytes after the strings
    Frames,     // count in the block, frames after the rich text; none while linkImageFile is set
    FrameSize,  // not stored: the size of the first stored frame
};

struct FrameSetting
{
    // The member's name. `tavrel-tool info` prints the setting under it; the
    // rich text as "richTextSize" and "text", the frames as "frames".
    const char* name;
    FrameSettingMember member;
    SettingUnit unit;
    // The range editors offer; for the frames their count, for the colour,
    // strings and rich text none (0, 0). Page files may hold other values;
    // they are kept as they are unless clampedOnRead.
    int minimum;
    int maximum;
    uint8_t copies;  // SettingCopy bits
    SettingStorage storage;
    int position;  // block offset or string index; -1 where neither applies
    bool clampedOnRead = false;

    SettingKind Kind() const { return SettingKind(member.index()); }
};

// The object record of a page file, besides the settings' own places.
namespace frame_record {
inline constexpr int kBlockSize = 512;
inline constexpr int kStringCountOffset = 96;
inline constexpr int kRichTextSizeOffset = 100;
inline constexpr int kFrameCountOffset = 104;
inline constexpr int kHasTimerStopOffset = 160;  // 0 in records that keep one timer value
}  // namespace frame_record

// Every stored setting, in the order `tavrel-tool info` prints them.
std::span<const FrameSetting> FrameSettings();

// Copies the settings whose copies include `which` from source to target.
void CopyFrameSettings(CFrame& target, const CFrame& source, SettingCopy which);
