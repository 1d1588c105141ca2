#include "document/TextFormatCommands.h"

#include "document/CommandIds.h"

#include <cmath>

namespace {

using namespace cmd;

constexpr int kEntryCount = 3;  // of the alignment and the line spacing lists

int Nearest(double value)
{
    return static_cast<int>(std::floor(value + 0.5));
}

int AlignmentOfCommand(int id)
{
    return id == kParagraphRight ? kAlignRight : id == kParagraphCenter ? kAlignCenter : kAlignLeft;
}

std::optional<int> Entry(int entry)
{
    return entry >= 0 && entry < kEntryCount ? std::optional<int>(entry) : std::nullopt;
}

// Shows the wait cursor while it lives.
class BusyScope
{
public:
    explicit BusyScope(ITextFormatDialogs& dialogs) : dialogs_(dialogs) { dialogs_.ShowBusy(true); }
    ~BusyScope() { dialogs_.ShowBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    ITextFormatDialogs& dialogs_;
};

}  // namespace

ParagraphFields ParagraphFieldsOf(const CParaFormat& format, double twipsPerPixelX, double twipsPerPixelY)
{
    ParagraphFields fields;
    if (format.mask & kPfmAlignment)
        fields.alignment = Entry(format.alignment - 1);
    if (format.mask & kPfmLineSpacing) {
        switch (format.lineSpacingRule) {
        case kSpacingMultiple: fields.lineSpacing = Entry((format.lineSpacing - 20) / 10); break;
        case kSpacingSingle:
        case kSpacingOneAndHalf:
        case kSpacingDouble: fields.lineSpacing = format.lineSpacingRule; break;
        // A spacing in twips has no entry; the list stays empty so that OK
        // keeps it.
        default: break;
        }
    }
    if (format.mask & kPfmOffset) {
        fields.firstLine = Nearest(-format.offset / twipsPerPixelX);
        if (format.mask & kPfmStartIndent)
            fields.left = Nearest((format.startIndent + format.offset) / twipsPerPixelX);
    }
    if (format.mask & kPfmRightIndent)
        fields.right = Nearest(format.rightIndent / twipsPerPixelX);
    if (format.mask & kPfmSpaceBefore)
        fields.top = Nearest(format.spaceBefore / twipsPerPixelY);
    if (format.mask & kPfmSpaceAfter)
        fields.bottom = Nearest(format.spaceAfter / twipsPerPixelY);
    return fields;
}

CParaFormat ParaFormatOfFields(const ParagraphFields& fields, double twipsPerPixelX, double twipsPerPixelY)
{
    CParaFormat format;
    if (fields.alignment) {
        format.mask |= kPfmAlignment;
        format.alignment = *fields.alignment + 1;
    }
    if (fields.lineSpacing) {
        format.mask |= kPfmLineSpacing;
        format.lineSpacingRule = kSpacingMultiple;
        format.lineSpacing = *fields.lineSpacing * 10 + 20;
    }
    if (fields.left || fields.firstLine) {
        const int first = fields.firstLine.value_or(0);
        const int left = fields.left.value_or(0);
        format.mask |= kPfmStartIndent | kPfmOffset;
        format.offset = Nearest(-first * twipsPerPixelX);
        format.startIndent = Nearest((first + left) * twipsPerPixelX);
    }
    if (fields.right) {
        format.mask |= kPfmRightIndent;
        format.rightIndent = Nearest(*fields.right * twipsPerPixelX);
    }
    if (fields.top) {
        format.mask |= kPfmSpaceBefore;
        format.spaceBefore = Nearest(*fields.top * twipsPerPixelY);
    }
    if (fields.bottom) {
        format.mask |= kPfmSpaceAfter;
        format.spaceAfter = Nearest(*fields.bottom * twipsPerPixelY);
    }
    return format;
}

CTextFormatCommands::CTextFormatCommands(IRichTextEngine& engine, bool singleLine, bool reverse)
    : engine_(engine), singleLine_(singleLine), reverse_(reverse)
{
}

bool CTextFormatCommands::IsFormatCommand(int id)
{
    return (id >= kBold && id <= kFontSizeBox) || (id >= kBackColor && id <= kNormalScript);
}

void CTextFormatCommands::SelectionChanged()
{
    charFormatDirty_ = true;
    paraFormatDirty_ = true;
}

void CTextFormatCommands::Refresh()
{
    if (!charFormatDirty_)
        return;
    charFormat_ = engine_.GetSelectionCharFormat();
    charFormatDirty_ = false;
    faceBoxDirty_ = true;
    sizeBoxDirty_ = true;
}

void CTextFormatCommands::RefreshParagraph()
{
    if (!paraFormatDirty_)
        return;
    paraFormat_ = engine_.GetSelectionParaFormat();
    paraFormatDirty_ = false;
}

const CCharFormat& CTextFormatCommands::CharFormat()
{
    Refresh();
    return charFormat_;
}

const CParaFormat& CTextFormatCommands::ParaFormat()
{
    RefreshParagraph();
    return paraFormat_;
}

HostCommandState CTextFormatCommands::State(int id)
{
    const auto uniformlySet = [this](uint32_t bit) {
        Refresh();
        return (charFormat_.mask & bit) != 0 && (charFormat_.effects & bit) != 0;
    };
    switch (id) {
    case kBold:
    case kItalic:
    case kUnderline: return {true, uniformlySet(id == kBold ? kCfeBold : id == kItalic ? kCfeItalic : kCfeUnderline)};
    case kBackColor: {
        int start = 0;
        int end = 0;
        engine_.GetSelection(start, end);
        Refresh();
        return {start != end,
                (charFormat_.mask & kCfmBackColor) != 0 && (charFormat_.effects & kCfeAutoBackColor) == 0};
    }
    case kParagraphLeft:
    case kParagraphCenter:
    case kParagraphRight:
        if (singleLine_)
            return {false, id == (reverse_ ? kParagraphRight : kParagraphLeft)};
        RefreshParagraph();
        return {true, (paraFormat_.mask & kPfmAlignment) != 0 && paraFormat_.alignment == AlignmentOfCommand(id)};
    default: return {IsFormatCommand(id), false};
    }
}

bool CTextFormatCommands::Run(int id, ITextFormatDialogs& dialogs)
{
    switch (id) {
    case kBold: return ToggleEffect(kCfeBold, dialogs);
    case kItalic: return ToggleEffect(kCfeItalic, dialogs);
    case kUnderline: return ToggleEffect(kCfeUnderline, dialogs);
    case kTextColor: return ChooseTextColor(dialogs);
    case kBackColor: return State(kBackColor).enabled && ToggleBackColor(dialogs);
    case kSuperscript: return ShiftOffset(1, dialogs);
    case kSubscript: return ShiftOffset(-1, dialogs);
    case kNormalScript: return ShiftOffset(0, dialogs);
    case kFontProperties: return ChooseFont(dialogs);
    case kParagraphLeft:
    case kParagraphCenter:
    case kParagraphRight: return Align(AlignmentOfCommand(id), dialogs);
    case kParagraphProperties: return EditParagraph(dialogs);
    default: return false;
    }
}

bool CTextFormatCommands::ApplyChar(uint32_t mask, ITextFormatDialogs& dialogs)
{
    {
        const BusyScope busy(dialogs);
        CCharFormat change = charFormat_;
        change.mask = mask;
        engine_.SetSelectionCharFormat(change);
    }
    charFormatDirty_ = true;
    return true;
}

bool CTextFormatCommands::ApplyPara(const CParaFormat& change, ITextFormatDialogs& dialogs)
{
    {
        const BusyScope busy(dialogs);
        engine_.SetSelectionParaFormat(change);
    }
    paraFormatDirty_ = true;
    return true;
}

void CTextFormatCommands::CollapseToEnd()
{
    int start = 0;
    int end = 0;
    engine_.GetSelection(start, end);
    engine_.SetSelection(end, end);
    SelectionChanged();
}

bool CTextFormatCommands::ToggleEffect(uint32_t bit, ITextFormatDialogs& dialogs)
{
    Refresh();
    // Mixed becomes set everywhere; uniform flips.
    if (charFormat_.mask & bit)
        charFormat_.effects ^= bit;
    else
        charFormat_.effects |= bit;
    return ApplyChar(bit, dialogs);
}

bool CTextFormatCommands::ChooseTextColor(ITextFormatDialogs& dialogs)
{
    Refresh();
    const std::optional<ColorRef> color = dialogs.ChooseColor(charFormat_.textColor);
    if (!color)
        return false;
    charFormat_.textColor = *color;
    // A chosen colour replaces the automatic one; with the automatic bit
    // left on the text would keep its old colour.
    charFormat_.effects &= ~kCfeAutoColor;
    ApplyChar(kCfmColor, dialogs);
    CollapseToEnd();
    return true;
}

bool CTextFormatCommands::ToggleBackColor(ITextFormatDialogs& dialogs)
{
    Refresh();
    const bool hasOne = (charFormat_.mask & kCfmBackColor) && !(charFormat_.effects & kCfeAutoBackColor);
    if (hasOne) {
        charFormat_.effects |= kCfeAutoBackColor;
    } else {
        const std::optional<ColorRef> color = dialogs.ChooseColor(charFormat_.backColor);
        if (!color)
            return false;
        charFormat_.backColor = *color;
        charFormat_.effects = 0;
    }
    ApplyChar(kCfmBackColor, dialogs);
    CollapseToEnd();
    return true;
}

// direction 1 raises, -1 lowers, 0 puts the text back on the baseline.
bool CTextFormatCommands::ShiftOffset(int direction, ITextFormatDialogs& dialogs)
{
    Refresh();
    if (direction == 0) {
        charFormat_.offset = 0;
    } else {
        const int base = (charFormat_.mask & kCfmOffset) ? charFormat_.offset : 0;
        const int step = (charFormat_.mask & kCfmSize) ? charFormat_.height / 5 : 100;
        charFormat_.offset = base + direction * step;
    }
    return ApplyChar(kCfmOffset, dialogs);
}

bool CTextFormatCommands::ChooseFont(ITextFormatDialogs& dialogs)
{
    Refresh();
    std::optional<CCharFormat> chosen = dialogs.ChooseFont(charFormat_);
    if (!chosen)
        return false;
    // The dialog answers black for a colour it was not asked about: black
    // keeps the text's colours as they are.
    if ((chosen->mask & kCfmColor) && !(chosen->effects & kCfeAutoColor) && chosen->textColor == 0)
        chosen->mask &= ~kCfmColor;
    if (chosen->mask == 0)
        return false;
    CRichTextFormatConverter::Apply(charFormat_, *chosen);
    return ApplyChar(chosen->mask, dialogs);
}

bool CTextFormatCommands::SetFace(const QString& face, ITextFormatDialogs& dialogs)
{
    if (face.isEmpty())
        return false;
    Refresh();
    charFormat_.face = face.left(CCharFormat::kMaxFaceLength);
    return ApplyChar(kCfmFace, dialogs);
}

bool CTextFormatCommands::SetSizePoints(int points, ITextFormatDialogs& dialogs)
{
    if (points <= 0)
        return false;
    Refresh();
    charFormat_.height = points * 20;
    return ApplyChar(kCfmSize, dialogs);
}

std::optional<QString> CTextFormatCommands::TakeFaceForBox()
{
    Refresh();
    if (!faceBoxDirty_)
        return std::nullopt;
    faceBoxDirty_ = false;
    return (charFormat_.mask & kCfmFace) ? charFormat_.face : QString();
}

std::optional<int> CTextFormatCommands::TakeSizeForBox()
{
    Refresh();
    if (!sizeBoxDirty_)
        return std::nullopt;
    sizeBoxDirty_ = false;
    return (charFormat_.mask & kCfmSize) ? charFormat_.height / 20 : 0;
}

bool CTextFormatCommands::Align(int alignment, ITextFormatDialogs& dialogs)
{
    RefreshParagraph();
    CParaFormat change;
    change.mask = kPfmAlignment;
    // One line keeps the alignment of its direction.
    change.alignment = singleLine_ ? (reverse_ ? kAlignRight : kAlignLeft) : alignment;
    return ApplyPara(change, dialogs);
}

bool CTextFormatCommands::EditParagraph(ITextFormatDialogs& dialogs)
{
    RefreshParagraph();
    const double twipsX = engine_.TwipsPerPixelX();
    const double twipsY = engine_.TwipsPerPixelY();
    const std::optional<ParagraphFields> fields =
        dialogs.EditParagraph(ParagraphFieldsOf(paraFormat_, twipsX, twipsY), singleLine_);
    if (!fields)
        return false;
    CParaFormat change = ParaFormatOfFields(*fields, twipsX, twipsY);
    // What one line cannot change was not offered.
    if (singleLine_)
        change.mask &= ~(kPfmAlignment | kPfmRightIndent | kPfmLineSpacing);
    if (change.mask == 0)
        return false;
    return ApplyPara(change, dialogs);
}
