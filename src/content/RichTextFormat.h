#pragma once

#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <cstdint>

// Character and paragraph formats of rich text as the formatting commands and
// the RTF reader and writer see them: whole twips, colours as COLORREF
// (0x00BBGGRR), and a mask that tells which fields hold one value over the
// whole selection.

using ColorRef = uint32_t;

inline ColorRef ColorRefFromQColor(const QColor& color)
{
    return static_cast<ColorRef>(color.red()) | static_cast<ColorRef>(color.green()) << 8 |
           static_cast<ColorRef>(color.blue()) << 16;
}
inline QColor QColorFromColorRef(ColorRef color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// CCharFormat::mask bits.
inline constexpr uint32_t kCfmBold = 0x00000001;
inline constexpr uint32_t kCfmItalic = 0x00000002;
inline constexpr uint32_t kCfmUnderline = 0x00000004;
inline constexpr uint32_t kCfmStrikeOut = 0x00000008;
inline constexpr uint32_t kCfmBackColor = 0x04000000;
inline constexpr uint32_t kCfmOffset = 0x10000000;
inline constexpr uint32_t kCfmFace = 0x20000000;
inline constexpr uint32_t kCfmColor = 0x40000000;
inline constexpr uint32_t kCfmSize = 0x80000000;
inline constexpr uint32_t kCfmAll = kCfmBold | kCfmItalic | kCfmUnderline | kCfmStrikeOut | kCfmBackColor |
                                    kCfmOffset | kCfmFace | kCfmColor | kCfmSize;
// CCharFormat::effects bits.
inline constexpr uint32_t kCfeBold = 0x00000001;
inline constexpr uint32_t kCfeItalic = 0x00000002;
inline constexpr uint32_t kCfeUnderline = 0x00000004;
inline constexpr uint32_t kCfeStrikeOut = 0x00000008;
inline constexpr uint32_t kCfeAutoBackColor = 0x04000000;  // no background colour
inline constexpr uint32_t kCfeAutoColor = 0x40000000;      // the control's default text colour

struct CCharFormat
{
    uint32_t mask = 0;
    uint32_t effects = 0;
    int height = 0;  // twips
    int offset = 0;  // twips above the baseline (negative: below)
    ColorRef textColor = 0;
    QString face;    // at most kMaxFaceLength characters
    ColorRef backColor = 0;

    static constexpr int kMaxFaceLength = 31;

    bool operator==(const CCharFormat&) const = default;
};

// CParaFormat::mask bits.
inline constexpr uint32_t kPfmStartIndent = 0x00000001;
inline constexpr uint32_t kPfmRightIndent = 0x00000002;
inline constexpr uint32_t kPfmOffset = 0x00000004;
inline constexpr uint32_t kPfmAlignment = 0x00000008;
inline constexpr uint32_t kPfmSpaceBefore = 0x00000040;
inline constexpr uint32_t kPfmSpaceAfter = 0x00000080;
inline constexpr uint32_t kPfmLineSpacing = 0x00000100;
inline constexpr uint32_t kPfmAll = kPfmStartIndent | kPfmRightIndent | kPfmOffset | kPfmAlignment |
                                    kPfmSpaceBefore | kPfmSpaceAfter | kPfmLineSpacing;

// CParaFormat::alignment (stored values).
enum ParaAlignment : int { kAlignLeft = 1, kAlignRight = 2, kAlignCenter = 3, kAlignJustify = 4 };
// CParaFormat::lineSpacingRule: 0 single, 1 one and a half, 2 double, 3 at
// least lineSpacing twips, 4 exactly lineSpacing twips, 5 lineSpacing / 20
// lines.
enum LineSpacingRule : int {
    kSpacingSingle = 0,
    kSpacingOneAndHalf = 1,
    kSpacingDouble = 2,
    kSpacingAtLeast = 3,
    kSpacingExactly = 4,
    kSpacingMultiple = 5,
};

struct CParaFormat
{
    uint32_t mask = 0;
    int alignment = kAlignLeft;
    int startIndent = 0;  // twips: indent of the first line
    int rightIndent = 0;  // twips
    int offset = 0;       // twips: indent of the other lines relative to the first
    int spaceBefore = 0;  // twips
    int spaceAfter = 0;   // twips
    int lineSpacing = 0;  // twips or twentieths of a line, by the rule
    int lineSpacingRule = kSpacingSingle;

    bool operator==(const CParaFormat&) const = default;
};

// Converts between these formats and the ones of QTextDocument, whose
// lengths are pixels (twipsPerPixel = 1440 / logical dots per inch) and font
// sizes points.
class CRichTextFormatConverter
{
public:
    // defaultFormat fills what a Qt format leaves unset (face and height).
    CRichTextFormatConverter(double twipsPerPixelX, double twipsPerPixelY, const CCharFormat& defaultFormat);

    // All fields of format are used, whatever its mask.
    QTextCharFormat ToQt(const CCharFormat& format) const;
    // Every field filled; mask kCfmAll.
    CCharFormat FromQt(const QTextCharFormat& format) const;
    QTextBlockFormat ToQt(const CParaFormat& format, QTextBlockFormat base = {}) const;
    CParaFormat FromQt(const QTextBlockFormat& format) const;

    // A face name as RTF font tables can hold it: no control characters,
    // ";", braces or backslashes, trimmed, at most kMaxFaceLength
    // characters; the default face when nothing is left.
    QString NormalFace(const QString& face) const;

    // Copies the fields named by the mask of change into format.
    static void Apply(CCharFormat& format, const CCharFormat& change);
    static void Apply(CParaFormat& format, const CParaFormat& change);
    // Clears the mask bits of the fields in which format differs from other.
    static void KeepCommon(CCharFormat& format, const CCharFormat& other);
    static void KeepCommon(CParaFormat& format, const CParaFormat& other);

    double TwipsPerPixelX() const { return twipsPerPixelX_; }
    double TwipsPerPixelY() const { return twipsPerPixelY_; }
    const CCharFormat& DefaultFormat() const { return default_; }

private:
    double twipsPerPixelX_;
    double twipsPerPixelY_;
    CCharFormat default_;
};
