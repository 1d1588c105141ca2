#include "document/ObjectProperties.h"

#include "app/StringTable.h"
#include "content/RichTextFormat.h"
#include "document/MainDoc.h"
#include "model/FrameSettings.h"
#include "model/FrameUndo.h"
#include "model/Transparency.h"
#include "playback/FrameTextSource.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

using E = PropertyEditor;

constexpr int kObjectGroup = 0;
constexpr int kPositionGroup = 1;
constexpr int kSizeGroup = 2;
constexpr int kBackgroundGroup = 3;
constexpr int kTextGroup = 4;
constexpr int kSourceGroup = 5;
constexpr int kPresentationGroup = 6;

// The grid's order. The remote control group (switcher button, 35) is not
// shown: this program has no switcher.
constexpr ObjectProperty kProperties[] = {
    {1, kObjectGroup, E::ReadOnlyText, nullptr, 0},
    {38, kObjectGroup, E::YesNo, "locked", 0},
    {41, kObjectGroup, E::EditableList, "group", 0},
    {42, kObjectGroup, E::EditableList, "hotkey", 0},
    {3, kPositionGroup, E::ReadOnlyNumber, nullptr, 0},
    {4, kPositionGroup, E::ReadOnlyNumber, nullptr, 0},
    {5, kSizeGroup, E::ReadOnlyNumber, nullptr, 0},
    {6, kSizeGroup, E::ReadOnlyNumber, nullptr, 0},
    {2, kBackgroundGroup, E::ReadOnlyText, nullptr, 0},
    {7, kBackgroundGroup, E::Colour, "backgroundColor", 0},
    {8, kBackgroundGroup, E::Percent, nullptr, 0},
    {36, kBackgroundGroup, E::YesNo, "loopAnimation", 0},
    {43, kBackgroundGroup, E::YesNo, "linkImageFile", 0},
    {44, kBackgroundGroup, E::FileChooser, "imageFileName", 0},
    {9, kTextGroup, E::Percent, "textAlpha", 0},
    {45, kTextGroup, E::FixedList, "dropShadow", 12220},
    {10, kTextGroup, E::FixedList, "movement", 10595},
    {11, kTextGroup, E::FixedList, "speed", 10410},
    {12, kTextGroup, E::YesNo, "loop", 0},
    {39, kTextGroup, E::YesNo, "startFromEdge", 0},
    {13, kTextGroup, E::YesNo, "reverse", 0},
    {14, kSourceGroup, E::FixedList, "textSource", 12100},
    {15, kSourceGroup, E::EditableList, "clockFormat", 0},
    {17, kSourceGroup, E::FixedList, "encoding", 10580},
    {18, kSourceGroup, E::YesNo, "monitorFile", 0},
    {19, kSourceGroup, E::YesNo, "firstLineIsHeader", 0},
    {20, kSourceGroup, E::FixedList, "separator", 12161},
    {21, kSourceGroup, E::EditableList, "timerFormat", 0},
    {22, kSourceGroup, E::FixedList, "timerDirection", 12150},
    {23, kSourceGroup, E::Time, "timerStart", 0},
    {46, kSourceGroup, E::Time, "timerStop", 0},
    {16, kSourceGroup, E::FileChooser, "fileName", 0},
    {40, kSourceGroup, E::YesNo, "barGraph", 0},
    {24, kPresentationGroup, E::Duration, "startDelay", 0},
    {25, kPresentationGroup, E::FixedList, "inEffect", 10420},
    {26, kPresentationGroup, E::Duration, "inDuration", 0},
    {27, kPresentationGroup, E::YesNo, "fadeIn", 0},
    {28, kPresentationGroup, E::Duration, "showFor", 0},
    {29, kPresentationGroup, E::YesNo, "showIndefinitely", 0},
    {30, kPresentationGroup, E::YesNo, "showWhileMoving", 0},
    {31, kPresentationGroup, E::FixedList, "outEffect", 10500},
    {32, kPresentationGroup, E::Duration, "outDuration", 0},
    {33, kPresentationGroup, E::YesNo, "fadeOut", 0},
    {34, kPresentationGroup, E::YesNo, "repeat", 0},
};

constexpr const char* kClockFormats[] = {"%H:%M", "%H:%M:%S", "%H:%M %p", "%c", "%x", "%X"};
constexpr const char* kTimerFormats[] = {"%H:%M:%S", "%n:%S", "%s.%d", "%s.%h", "%s.%m"};

constexpr int kYesText = 10219;
constexpr int kNoText = 10220;
constexpr int kHotkeyNoneText = 12200;
constexpr int kSourceFilesText = 10212;
constexpr int kPicturesText = 10210;
constexpr int kSolidText = 10600;
constexpr int kPictureText = 10601;
constexpr int kAnimationText = 10603;
constexpr ColorRef kRgbMask = 0x00FFFFFF;

bool IsFileSource(int source)
{
    return source == kSourceTextFile || source == kSourceRtfFile || source == kSourceCsvFile;
}

QStringList TextsFrom(int firstId, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(LoadText(firstId + i));
    return texts;
}

template <size_t N>
QStringList Latin(const char* const (&texts)[N])
{
    QStringList list;
    for (const char* text : texts)
        list.append(QLatin1String(text));
    return list;
}

int& IntMember(CFrame& frame, const FrameSetting& setting)
{
    return frame.*std::get<int CFrame::*>(setting.member);
}

int IntMember(const CFrame& frame, const FrameSetting& setting)
{
    return frame.*std::get<int CFrame::*>(setting.member);
}

QString& StringMember(CFrame& frame, const FrameSetting& setting)
{
    return frame.*std::get<QString CFrame::*>(setting.member);
}

const QString& StringMember(const CFrame& frame, const FrameSetting& setting)
{
    return frame.*std::get<QString CFrame::*>(setting.member);
}

int EntryCount(const FrameSetting& setting)
{
    return setting.maximum - setting.minimum + 1;
}

int BackgroundAlpha(const CFrame& frame)
{
    return static_cast<int>(frame.backgroundColor >> 24);
}

}  // namespace

std::span<const ObjectProperty> ObjectPropertyTable()
{
    return kProperties;
}

const ObjectProperty* FindObjectProperty(int k)
{
    const auto it = std::find_if(std::begin(kProperties), std::end(kProperties),
                                 [k](const ObjectProperty& p) { return p.k == k; });
    return it != std::end(kProperties) ? &*it : nullptr;
}

const FrameSetting* SettingOfProperty(const ObjectProperty& property)
{
    if (property.setting == nullptr)
        return nullptr;
    for (const FrameSetting& setting : FrameSettings()) {
        if (std::strcmp(setting.name, property.setting) == 0)
            return &setting;
    }
    return nullptr;
}

QString DurationText(int milliseconds)
{
    if (milliseconds == 0)
        return QString();
    if (milliseconds % 1000 == 0)
        return QString::asprintf("%d", milliseconds / 1000);
    return QString::asprintf("%.3f", milliseconds / 1000.0);
}

int DurationFromText(const QString& text)
{
    // The longest leading decimal number; "," is a decimal point too.
    QString number;
    bool point = false;
    for (QChar c : text.trimmed()) {
        if (c.isDigit()) {
            number.append(c);
        } else if ((c == u'.' || c == u',') && !point) {
            point = true;
            number.append(u'.');
        } else {
            break;
        }
    }
    const double seconds = number.toDouble();
    // A hair above the truncation, so that 1.001 s is 1001 ms and not the
    // 1000.9999 that binary fractions make of it.
    const double milliseconds = std::floor(seconds * 1000.0 + 1e-6);
    return static_cast<int>(std::min(milliseconds, static_cast<double>(std::numeric_limits<int>::max())));
}

QString TimeText(int seconds)
{
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

std::optional<int> TimeFromText(const QString& text)
{
    if (text.size() != 8)
        return std::nullopt;
    const auto field = [&text](int at, int limit) -> std::optional<int> {
        bool ok = false;
        const int value = text.mid(at, 2).toInt(&ok, 10);
        if (!ok || !text[at].isDigit() || !text[at + 1].isDigit() || value > limit)
            return std::nullopt;
        return value;
    };
    const std::optional<int> hours = field(0, 23);
    const std::optional<int> minutes = field(3, 59);
    const std::optional<int> seconds = field(6, 59);
    if (!hours || !minutes || !seconds)
        return std::nullopt;
    return *hours * 3600 + *minutes * 60 + *seconds;
}

QStringList HotkeyEntries()
{
    QStringList entries{LoadText(kHotkeyNoneText)};
    for (int n = 1; n <= kMaxHotkey; ++n)
        entries.append(QString::asprintf("%s+%d", n <= 10 ? "Ctrl" : "Alt", (n - 1) % 10));
    return entries;
}

QString SourceFileFilter(int textSource)
{
    const char* kind = textSource == kSourceRtfFile ? "RTF" : textSource == kSourceCsvFile ? "CSV" : "TXT";
    const char* pattern = textSource == kSourceRtfFile ? "*.rtf" : textSource == kSourceCsvFile ? "*.csv" : "*.txt";
    // The table's text is "<kind> files|<pattern>||": the description is
    // what comes before the first bar.
    const QString description = FormatText(kSourceFilesText, kind, pattern).section(QLatin1Char('|'), 0, 0);
    return QStringLiteral("%1 (%2)").arg(description, QLatin1String(pattern));
}

QString ImageFileFilter()
{
    return QStringLiteral("%1 (*.tga *.bmp *.png *.jpg *.gif *.txt *.avi)").arg(LoadText(kPicturesText));
}

// --- The copy ---------------------------------------------------------------

CObjectProperties::CObjectProperties() = default;

void CObjectProperties::Fill(const CFrame* object, int number, const QStringList& groups)
{
    selected_ = object != nullptr;
    if (object == nullptr)
        return;
    CopyFrameSettings(settings_, *object, kCopiedBySettings);
    number_ = number;
    rect_ = object->rect;
    kind_ = object->Kind();
    sourceFailed_ = object->sourceError.load() != 0;
    backgroundFailed_ = object->backgroundError.load() != 0;
    groups_ = groups;
}

QVariant CObjectProperties::Value(int k) const
{
    const ObjectProperty* property = FindObjectProperty(k);
    if (property == nullptr)
        return {};
    switch (k) {
    case 1: return QString::number(number_);
    case 2:
        return LoadText(kind_ == BackgroundKind::Solid     ? kSolidText
                        : kind_ == BackgroundKind::Picture ? kPictureText
                                                           : kAnimationText);
    case 3: return rect_.left;
    case 4: return rect_.top;
    case 5: return rect_.Width();
    case 6: return rect_.Height();
    case 7: return QColorFromColorRef(settings_.backgroundColor & kRgbMask);
    case 8: return AlphaToPercent(BackgroundAlpha(settings_));
    case 9: return AlphaToPercent(settings_.textAlpha);
    case 16: return IsFileSource(settings_.textSource) ? settings_.fileName : QString();
    case 29: return settings_.ShowsIndefinitely();
    case 42: {
        const QStringList entries = HotkeyEntries();
        return settings_.hotkey >= 0 && settings_.hotkey < entries.size() ? entries[settings_.hotkey] : QString();
    }
    default: break;
    }
    const FrameSetting* setting = SettingOfProperty(*property);
    if (setting == nullptr)
        return {};
    switch (property->editor) {
    case E::YesNo: return IntMember(settings_, *setting) != 0;
    case E::FixedList: {
        const int index = IntMember(settings_, *setting) - setting->minimum;
        return index >= 0 && index < EntryCount(*setting) ? index : -1;
    }
    case E::EditableList:
    case E::FileChooser: return StringMember(settings_, *setting);
    case E::Time: return TimeText(IntMember(settings_, *setting));
    case E::Duration: return DurationText(IntMember(settings_, *setting));
    default: return {};
    }
}

QStringList CObjectProperties::Entries(int k) const
{
    const ObjectProperty* property = FindObjectProperty(k);
    if (property == nullptr)
        return {};
    switch (k) {
    case 15: return Latin(kClockFormats);
    case 21: return Latin(kTimerFormats);
    case 41: return groups_;
    case 42: return HotkeyEntries();
    default: break;
    }
    if (property->editor == E::YesNo)
        return {LoadText(kYesText), LoadText(kNoText)};
    const FrameSetting* setting = SettingOfProperty(*property);
    if (property->editor == E::FixedList && setting != nullptr)
        return TextsFrom(property->firstEntryText, EntryCount(*setting));
    return {};
}

bool CObjectProperties::Enabled(int k) const
{
    if (!selected_)
        return false;
    const CFrame& s = settings_;
    const bool solid = kind_ == BackgroundKind::Solid;
    const bool fixed = s.movement == kMovementFixed;
    const int source = s.textSource;
    switch (k) {
    case 7:
    case 8: return solid;
    case 36: return kind_ == BackgroundKind::Animation;
    case 43: return !solid && !backgroundFailed_ && !s.imageFileName.isEmpty();
    case 44: return s.linkImageFile != 0;
    case 11:
    case 12:
    case 13:
    case 39:
    case 30: return !fixed;
    case 10: return source != kSourceClock && source != kSourceTimer;
    case 28:
    case 29: return fixed || s.showWhileMoving == 0;
    case 17: return source == kSourceTextFile || source == kSourceCsvFile;
    case 19:
    case 20: return source == kSourceCsvFile;
    case 15: return source == kSourceClock;
    case 21:
    case 22:
    case 23:
    case 46: return source == kSourceTimer;
    case 18: return (source == kSourceTextFile || source == kSourceRtfFile) && fixed;
    case 16: return IsFileSource(source);
    case 40: return source == kSourceTextFile;
    default: return true;
    }
}

bool CObjectProperties::Failed(int k) const
{
    if (k == 16)
        return sourceFailed_ && IsFileSource(settings_.textSource);
    if (k == 44)
        return backgroundFailed_ && settings_.linkImageFile != 0;
    return false;
}

void CObjectProperties::SetTextSource(int source)
{
    settings_.textSource = source;
    if ((source == kSourceClock || source == kSourceTimer) && settings_.movement != kMovementFixed)
        settings_.movement = kMovementFixed;
}

void CObjectProperties::SetTimerDirection(int direction)
{
    if (direction == settings_.timerDirection)
        return;
    settings_.timerDirection = direction;
    std::swap(settings_.timerStart, settings_.timerStop);
}

PropertyChange CObjectProperties::Change(int k, const QVariant& value, const FileChooser& chooser)
{
    const ObjectProperty* property = FindObjectProperty(k);
    if (property == nullptr || !selected_)
        return PropertyChange::Refused;
    switch (k) {
    case 7: {
        const QColor color = value.value<QColor>();
        if (!color.isValid())
            return PropertyChange::Refused;
        const ColorRef rgb = ColorRefFromQColor(color);
        if (rgb == (settings_.backgroundColor & kRgbMask))
            return PropertyChange::Unchanged;
        settings_.backgroundColor = (settings_.backgroundColor & ~kRgbMask) | rgb;
        return PropertyChange::Changed;
    }
    case 8:
    case 9: {
        bool ok = false;
        const int percent = value.toInt(&ok);
        if (!ok || percent < 0 || percent > 100)
            return PropertyChange::Refused;
        if (percent == Value(k).toInt())
            return PropertyChange::Unchanged;
        const int alpha = PercentToAlpha(percent);
        if (k == 8)
            settings_.backgroundColor = (settings_.backgroundColor & kRgbMask) | static_cast<uint32_t>(alpha) << 24;
        else
            settings_.textAlpha = alpha;
        return PropertyChange::Changed;
    }
    case 41: {
        const QString group = value.toString().trimmed();
        if (group == settings_.group)
            return PropertyChange::Unchanged;
        settings_.group = group;
        return PropertyChange::Changed;
    }
    case 42: {
        // A typed name that no entry has is -1, shown empty.
        const QStringList entries = HotkeyEntries();
        const QString typed = value.toString();
        const auto match = std::find_if(entries.begin(), entries.end(), [&typed](const QString& entry) {
            return entry.compare(typed, Qt::CaseInsensitive) == 0;
        });
        const int hotkey = match != entries.end() ? static_cast<int>(match - entries.begin()) : -1;
        if (hotkey == settings_.hotkey)
            return PropertyChange::Unchanged;
        settings_.hotkey = hotkey;
        return PropertyChange::Changed;
    }
    default: return ChangeSetting(*property, value, chooser);
    }
}

PropertyChange CObjectProperties::ChangeSetting(const ObjectProperty& property, const QVariant& value,
                                                const FileChooser& chooser)
{
    const FrameSetting* setting = SettingOfProperty(property);
    if (setting == nullptr)
        return PropertyChange::Refused;
    const auto storeInt = [&](int newValue) {
        int& member = IntMember(settings_, *setting);
        if (member == newValue)
            return PropertyChange::Unchanged;
        member = newValue;
        return PropertyChange::Changed;
    };
    switch (property.editor) {
    case E::YesNo: return storeInt(value.toBool() ? 1 : 0);
    case E::FixedList: {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= EntryCount(*setting))
            return PropertyChange::Refused;
        const int newValue = setting->minimum + index;
        if (property.k == 14) {
            if (newValue == settings_.textSource)
                return PropertyChange::Unchanged;
            if (IsFileSource(newValue)) {
                const std::optional<QString> path =
                    chooser ? chooser(SourceFileFilter(newValue), settings_.fileName) : std::nullopt;
                if (!path)
                    return PropertyChange::Refused;
                settings_.fileName = *path;
                sourceFailed_ = false;
            }
            SetTextSource(newValue);
            return PropertyChange::Changed;
        }
        if (property.k == 22) {
            if (newValue == settings_.timerDirection)
                return PropertyChange::Unchanged;
            SetTimerDirection(newValue);
            return PropertyChange::Changed;
        }
        return storeInt(newValue);
    }
    case E::Time: {
        const std::optional<int> seconds = TimeFromText(value.toString());
        if (!seconds)
            return PropertyChange::Refused;
        return storeInt(*seconds);
    }
    case E::Duration: return storeInt(DurationFromText(value.toString()));
    case E::EditableList:
    case E::FileChooser: {
        QString& member = StringMember(settings_, *setting);
        const QString text = value.toString();
        if (member == text)
            return PropertyChange::Unchanged;
        member = text;
        if (property.k == 16)
            sourceFailed_ = false;
        return PropertyChange::Changed;
    }
    default: return PropertyChange::Refused;
    }
}

void CObjectProperties::ApplyTo(CMainDoc& doc, CFrame& object)
{
    // Off the air before anything is written: the render and text threads
    // must never see half of the change.
    if (doc.page.outputActive.load())
        object.StopOutput();
    doc.RecordUndoStep(PropertiesChanged, object, 1);
    doc.ScriptStop();
    doc.Host().EndTextEditing(true);
    if (settings_.showIndefinitely == 0 && settings_.showFor == 0)
        settings_.showIndefinitely = 1;
    CopyFrameSettings(object, settings_, kCopiedBySettings);
    if (object.richText.isEmpty())
        CFrameTextSource(object).BuildDefaultText();
    object.InvalidatePreview();
    doc.SetModifiedFlag(true);
    emit doc.UpdateAllViews(kUpdatePage, ToQRect(object.rect));
}
