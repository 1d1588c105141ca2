#include "model/FrameSettings.h"

#include <limits>
#include <type_traits>

// SettingKind names the alternatives of FrameSettingMember in their order.
template <SettingKind kind, class T>
constexpr bool kKindHolds = std::is_same_v<std::variant_alternative_t<size_t(kind), FrameSettingMember>, T CFrame::*>;
static_assert(kKindHolds<SettingKind::Int, int> && kKindHolds<SettingKind::Colour, uint32_t>
              && kKindHolds<SettingKind::Rect, CRect> && kKindHolds<SettingKind::String, QString>
              && kKindHolds<SettingKind::RichText, QByteArray>
              && kKindHolds<SettingKind::Frames, std::vector<CFrameBackground>>
              && std::variant_size_v<FrameSettingMember> == size_t(SettingKind::Frames) + 1);

namespace {

constexpr int kNoMinimum = std::numeric_limits<int>::min();
constexpr int kNoMaximum = std::numeric_limits<int>::max();
constexpr int kLastTimerSecond = 23 * 3600 + 59 * 60 + 59;  // timers are entered as hh:mm:ss

using enum SettingUnit;
using enum SettingStorage;

// The copy leaves out locked, linkImageFile and imageFileName (a copy starts
// unlocked and unlinked); CopySettings leaves out the background type, the
// geometry, the frames and the text.
constexpr FrameSetting kTable[] = {
//   name                 member                      unit          minimum              maximum               copies             storage    position clamped on read
    {"backgroundType",    &CFrame::backgroundType,    Choice,       0,                   1,                    kCopiedByCopy,     Block,     0},
    {"rect",              &CFrame::rect,              Pixels,       kNoMinimum,          kNoMaximum,           kCopiedByCopy,     Block,     80},
    {"locked",            &CFrame::locked,            Flag,         0,                   1,                    kCopiedBySettings, Block,     4},
    {"movement",          &CFrame::movement,          Choice,       kMovementFixed,      kMovementRoll,        kCopiedByBoth,     Block,     8},
    {"speed",             &CFrame::speed,             Choice,       kSpeedSlow,          kSpeedFast,           kCopiedByBoth,     Block,     12,      true},
    {"loop",              &CFrame::loop,              Flag,         0,                   1,                    kCopiedByBoth,     Block,     16},
    {"showWhileMoving",   &CFrame::showWhileMoving,   Flag,         0,                   1,                    kCopiedByBoth,     Block,     20},
    {"reverse",           &CFrame::reverse,           Flag,         0,                   1,                    kCopiedByBoth,     Block,     128},
    {"startFromEdge",     &CFrame::startFromEdge,     Flag,         0,                   1,                    kCopiedByBoth,     Block,     140},
    {"backgroundColor",   &CFrame::backgroundColor,   None,         0,                   0,                    kCopiedByBoth,     Block,     24},
    {"textAlpha",         &CFrame::textAlpha,         Alpha,        0,                   255,                  kCopiedByBoth,     Block,     28},
    {"dropShadow",        &CFrame::dropShadow,        Choice,       kShadowNone,         kShadowHigh,          kCopiedByBoth,     Block,     156},
    {"backgroundWidth",   &CFrame::backgroundWidth,   Pixels,       0,                   CPicture::kMaxSide,   kCopiedByCopy,     FrameSize, -1},
    {"backgroundHeight",  &CFrame::backgroundHeight,  Pixels,       0,                   CPicture::kMaxSide,   kCopiedByCopy,     FrameSize, -1},
    {"loopAnimation",     &CFrame::loopAnimation,     Flag,         0,                   1,                    kCopiedByBoth,     Block,     120},
    {"linkImageFile",     &CFrame::linkImageFile,     Flag,         0,                   1,                    kCopiedBySettings, Block,     152},
    {"imageFileName",     &CFrame::imageFileName,     FilePath,     0,                   0,                    kCopiedBySettings, String,    4},
    {"richText",          &CFrame::richText,          None,         0,                   0,                    kCopiedByCopy,     RichText,  -1},
    {"textSource",        &CFrame::textSource,        Choice,       kSourceObjectText,   kSourceTimer,         kCopiedByBoth,     Block,     32},
    {"fileName",          &CFrame::fileName,          FilePath,     0,                   0,                    kCopiedByBoth,     String,    0},
    {"encoding",          &CFrame::encoding,          Choice,       kEncodingAuto,       kEncodingUtf8,        kCopiedByBoth,     Block,     36},
    {"firstLineIsHeader", &CFrame::firstLineIsHeader, Flag,         0,                   1,                    kCopiedByBoth,     Block,     40},
    {"clockFormat",       &CFrame::clockFormat,       None,         0,                   0,                    kCopiedByBoth,     String,    1},
    {"monitorFile",       &CFrame::monitorFile,       Flag,         0,                   1,                    kCopiedByBoth,     Block,     108},
    {"separator",         &CFrame::separator,         Choice,       kSeparatorSemicolon, kSeparatorComma,      kCopiedByBoth,     Block,     116},
    {"timerFormat",       &CFrame::timerFormat,       None,         0,                   0,                    kCopiedByBoth,     String,    2},
    {"timerStart",        &CFrame::timerStart,        Seconds,      0,                   kLastTimerSecond,     kCopiedByBoth,     Timer,     132},
    {"timerStop",         &CFrame::timerStop,         Seconds,      0,                   kLastTimerSecond,     kCopiedByBoth,     Timer,     164},
    {"timerDirection",    &CFrame::timerDirection,    Choice,       kTimerUp,            kTimerDown,           kCopiedByBoth,     Block,     136},
    {"barGraph",          &CFrame::barGraph,          Flag,         0,                   1,                    kCopiedByBoth,     Block,     144},
    {"showFor",           &CFrame::showFor,           Milliseconds, 0,                   kNoMaximum,           kCopiedByBoth,     Block,     44},
    {"showIndefinitely",  &CFrame::showIndefinitely,  Flag,         0,                   1,                    kCopiedByBoth,     Block,     112},
    {"startDelay",        &CFrame::startDelay,        Milliseconds, 0,                   kNoMaximum,           kCopiedByBoth,     Block,     48},
    {"inEffect",          &CFrame::inEffect,          Choice,       0,                   kEffectCount - 1,     kCopiedByBoth,     Block,     52},
    {"inDuration",        &CFrame::inDuration,        Milliseconds, 0,                   kNoMaximum,           kCopiedByBoth,     Block,     56},
    {"fadeIn",            &CFrame::fadeIn,            Flag,         0,                   1,                    kCopiedByBoth,     Block,     60},
    {"outEffect",         &CFrame::outEffect,         Choice,       0,                   kEffectCount - 1,     kCopiedByBoth,     Block,     64},
    {"outDuration",       &CFrame::outDuration,       Milliseconds, 0,                   kNoMaximum,           kCopiedByBoth,     Block,     68},
    {"fadeOut",           &CFrame::fadeOut,           Flag,         0,                   1,                    kCopiedByBoth,     Block,     72},
    {"repeat",            &CFrame::repeat,            Flag,         0,                   1,                    kCopiedByBoth,     Block,     76},
    // Kept and copied, but no editor shows it.
    {"switcherButton",    &CFrame::switcherButton,    None,         0,                   kMaxSwitcherButton,   kCopiedByBoth,     Block,     124},
    {"group",             &CFrame::group,             None,         0,                   0,                    kCopiedByBoth,     String,    3},
    {"hotkey",            &CFrame::hotkey,            Choice,       0,                   kMaxHotkey,           kCopiedByBoth,     Block,     148},
    {"backgroundFrames",  &CFrame::backgroundFrames,  None,         0,                   kMaxBackgroundFrames, kCopiedByCopy,     Frames,    -1},
};

}  // namespace

std::span<const FrameSetting> FrameSettings()
{
    return kTable;
}

void CopyFrameSettings(CFrame& target, const CFrame& source, SettingCopy which)
{
    for (const FrameSetting& setting : kTable) {
        if (setting.copies & which)
            std::visit([&](auto member) { target.*member = source.*member; }, setting.member);
    }
}
