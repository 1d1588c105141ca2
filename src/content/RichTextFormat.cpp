#include "content/RichTextFormat.h"

#include <QBrush>
#include <QFont>
#include <QFontMetricsF>
#include <QStringList>

#include <cmath>

namespace {

// The exact offset in twips; Qt keeps only a percentage of the font height.
constexpr int kOffsetTwipsProperty = QTextFormat::UserProperty + 0x100;

int Round(double value)
{
    return static_cast<int>(std::lround(value));
}

// The paragraph format's fields with the mask bit that names each.
struct ParaField
{
    uint32_t mask;
    int CParaFormat::*field;
};
constexpr ParaField kParaFields[] = {
    {kPfmAlignment, &CParaFormat::alignment},       {kPfmStartIndent, &CParaFormat::startIndent},
    {kPfmRightIndent, &CParaFormat::rightIndent},   {kPfmOffset, &CParaFormat::offset},
    {kPfmSpaceBefore, &CParaFormat::spaceBefore},   {kPfmSpaceAfter, &CParaFormat::spaceAfter},
    {kPfmLineSpacing, &CParaFormat::lineSpacing},   {kPfmLineSpacing, &CParaFormat::lineSpacingRule},
};

}  // namespace

CRichTextFormatConverter::CRichTextFormatConverter(double twipsPerPixelX, double twipsPerPixelY,
                                                   const CCharFormat& defaultFormat)
    : twipsPerPixelX_(twipsPerPixelX), twipsPerPixelY_(twipsPerPixelY), default_(defaultFormat)
{
}

QTextCharFormat CRichTextFormatConverter::ToQt(const CCharFormat& format) const
{
    QTextCharFormat result;
    result.setFontFamilies(QStringList{format.face});
    result.setFontPointSize(format.height / 20.0);
    result.setFontWeight((format.effects & kCfeBold) ? QFont::Bold : QFont::Normal);
    result.setFontItalic((format.effects & kCfeItalic) != 0);
    result.setFontUnderline((format.effects & kCfeUnderline) != 0);
    result.setFontStrikeOut((format.effects & kCfeStrikeOut) != 0);
    // Text pictures are keyed over video: greyscale edges, never the colour
    // fringes of subpixel antialiasing.
    result.setFontStyleStrategy(QFont::NoSubpixelAntialias);
    // Glyph shapes do not follow the desktop's hinting either.
    result.setFontHintingPreference(QFont::PreferNoHinting);
    if (!(format.effects & kCfeAutoColor))
        result.setForeground(QColorFromColorRef(format.textColor));
    if (!(format.effects & kCfeAutoBackColor))
        result.setBackground(QColorFromColorRef(format.backColor));
    if (format.offset != 0) {
        result.setProperty(kOffsetTwipsProperty, format.offset);
        // Qt moves the baseline by a percentage of the font's height (ascent
        // plus descent), not of its size.
        const double fontHeight = QFontMetricsF(result.font()).height();
        if (fontHeight > 0)
            result.setBaselineOffset(100.0 * format.offset / twipsPerPixelY_ / fontHeight);
    }
    return result;
}

CCharFormat CRichTextFormatConverter::FromQt(const QTextCharFormat& format) const
{
    CCharFormat result;
    result.mask = kCfmAll;
    if (format.fontWeight() > QFont::Medium)
        result.effects |= kCfeBold;
    if (format.fontItalic())
        result.effects |= kCfeItalic;
    if (format.fontUnderline())
        result.effects |= kCfeUnderline;
    if (format.fontStrikeOut())
        result.effects |= kCfeStrikeOut;
    result.height = format.hasProperty(QTextFormat::FontPointSize) ? Round(format.fontPointSize() * 20.0)
                                                                    : default_.height;
    const QStringList families = format.fontFamilies().toStringList();
    result.face = families.isEmpty() || families.front().isEmpty() ? default_.face : families.front();
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush) {
        result.textColor = ColorRefFromQColor(format.foreground().color());
    } else {
        result.effects |= kCfeAutoColor;
        result.textColor = default_.textColor;
    }
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush)
        result.backColor = ColorRefFromQColor(format.background().color());
    else
        result.effects |= kCfeAutoBackColor;
    result.offset = format.intProperty(kOffsetTwipsProperty);
    return result;
}

QTextBlockFormat CRichTextFormatConverter::ToQt(const CParaFormat& format, QTextBlockFormat result) const
{
    switch (format.alignment) {
    case kAlignRight:
        result.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
        break;
    case kAlignCenter:
        result.setAlignment(Qt::AlignHCenter);
        break;
    case kAlignJustify:
        result.setAlignment(Qt::AlignJustify);
        break;
    default:
        result.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        break;
    }
    const int left = format.startIndent + format.offset;
    result.setLeftMargin(left / twipsPerPixelX_);
    result.setTextIndent(-format.offset / twipsPerPixelX_);
    result.setRightMargin(format.rightIndent / twipsPerPixelX_);
    result.setTopMargin(format.spaceBefore / twipsPerPixelY_);
    result.setBottomMargin(format.spaceAfter / twipsPerPixelY_);
    switch (format.lineSpacingRule) {
    case kSpacingOneAndHalf:
        result.setLineHeight(150.0, QTextBlockFormat::ProportionalHeight);
        break;
    case kSpacingDouble:
        result.setLineHeight(200.0, QTextBlockFormat::ProportionalHeight);
        break;
    case kSpacingAtLeast:
        result.setLineHeight(format.lineSpacing / twipsPerPixelY_, QTextBlockFormat::MinimumHeight);
        break;
    case kSpacingExactly:
        result.setLineHeight(format.lineSpacing / twipsPerPixelY_, QTextBlockFormat::FixedHeight);
        break;
    case kSpacingMultiple:
        if (format.lineSpacing > 0) {
            result.setLineHeight(format.lineSpacing * 5.0, QTextBlockFormat::ProportionalHeight);
            break;
        }
        [[fallthrough]];
    default:
        result.clearProperty(QTextFormat::LineHeight);
        result.clearProperty(QTextFormat::LineHeightType);
        break;
    }
    return result;
}

CParaFormat CRichTextFormatConverter::FromQt(const QTextBlockFormat& format) const
{
    CParaFormat result;
    result.mask = kPfmAll;
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignRight)
        result.alignment = kAlignRight;
    else if (alignment & Qt::AlignHCenter)
        result.alignment = kAlignCenter;
    else if (alignment & Qt::AlignJustify)
        result.alignment = kAlignJustify;
    else
        result.alignment = kAlignLeft;
    const int left = Round(format.leftMargin() * twipsPerPixelX_);
    const int first = Round(format.textIndent() * twipsPerPixelX_);
    result.startIndent = left + first;
    result.offset = -first;
    result.rightIndent = Round(format.rightMargin() * twipsPerPixelX_);
    result.spaceBefore = Round(format.topMargin() * twipsPerPixelY_);
    result.spaceAfter = Round(format.bottomMargin() * twipsPerPixelY_);
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        result.lineSpacingRule = kSpacingMultiple;
        result.lineSpacing = Round(format.lineHeight() / 5.0);
        break;
    case QTextBlockFormat::MinimumHeight:
        result.lineSpacingRule = kSpacingAtLeast;
        result.lineSpacing = Round(format.lineHeight() * twipsPerPixelY_);
        break;
    case QTextBlockFormat::FixedHeight:
        result.lineSpacingRule = kSpacingExactly;
        result.lineSpacing = Round(format.lineHeight() * twipsPerPixelY_);
        break;
    default:
        break;
    }
    return result;
}

QString CRichTextFormatConverter::NormalFace(const QString& face) const
{
    QString result;
    result.reserve(face.size());
    for (qsizetype i = 0; i < face.size(); ++i) {
        const QChar c = face[i];
        if (c.isHighSurrogate() && i + 1 < face.size() && face[i + 1].isLowSurrogate()) {
            result.append(c);
            result.append(face[++i]);
        } else if (c.unicode() >= 0x20 && !c.isSurrogate() && c != QChar(u';') && c != QChar(u'{') &&
                   c != QChar(u'}') && c != QChar(u'\\')) {
            result.append(c);
        }
    }
    result = result.trimmed();
    if (result.size() > CCharFormat::kMaxFaceLength) {
        result.truncate(CCharFormat::kMaxFaceLength);
        if (result.back().isHighSurrogate())
            result.chop(1);
        result = result.trimmed();
    }
    return result.isEmpty() ? default_.face : result;
}

void CRichTextFormatConverter::Apply(CCharFormat& format, const CCharFormat& change)
{
    static constexpr uint32_t kEffectBits[][2] = {
        {kCfmBold, kCfeBold},           {kCfmItalic, kCfeItalic},           {kCfmUnderline, kCfeUnderline},
        {kCfmStrikeOut, kCfeStrikeOut}, {kCfmColor, kCfeAutoColor}, {kCfmBackColor, kCfeAutoBackColor},
    };
    for (const auto& [maskBit, effectBit] : kEffectBits) {
        if (change.mask & maskBit)
            format.effects = (format.effects & ~effectBit) | (change.effects & effectBit);
    }
    if (change.mask & kCfmSize)
        format.height = change.height;
    if (change.mask & kCfmOffset)
        format.offset = change.offset;
    if (change.mask & kCfmColor)
        format.textColor = change.textColor;
    if (change.mask & kCfmBackColor)
        format.backColor = change.backColor;
    if (change.mask & kCfmFace)
        format.face = change.face.left(CCharFormat::kMaxFaceLength);
}

void CRichTextFormatConverter::Apply(CParaFormat& format, const CParaFormat& change)
{
    for (const auto& [maskBit, field] : kParaFields) {
        if (change.mask & maskBit)
            format.*field = change.*field;
    }
}

void CRichTextFormatConverter::KeepCommon(CCharFormat& format, const CCharFormat& other)
{
    const uint32_t differentEffects = format.effects ^ other.effects;
    static constexpr uint32_t kEffectMasks[] = {kCfmBold, kCfmItalic, kCfmUnderline, kCfmStrikeOut};
    static constexpr uint32_t kEffectBits[] = {kCfeBold, kCfeItalic, kCfeUnderline, kCfeStrikeOut};
    for (size_t i = 0; i < std::size(kEffectMasks); ++i) {
        if (differentEffects & kEffectBits[i])
            format.mask &= ~kEffectMasks[i];
    }
    if ((differentEffects & kCfeAutoColor) || (!(format.effects & kCfeAutoColor) && format.textColor != other.textColor))
        format.mask &= ~kCfmColor;
    if ((differentEffects & kCfeAutoBackColor) ||
        (!(format.effects & kCfeAutoBackColor) && format.backColor != other.backColor))
        format.mask &= ~kCfmBackColor;
    if (format.height != other.height)
        format.mask &= ~kCfmSize;
    if (format.offset != other.offset)
        format.mask &= ~kCfmOffset;
    if (format.face != other.face)
        format.mask &= ~kCfmFace;
}

void CRichTextFormatConverter::KeepCommon(CParaFormat& format, const CParaFormat& other)
{
    for (const auto& [maskBit, field] : kParaFields) {
        if (format.*field != other.*field)
            format.mask &= ~maskBit;
    }
}
