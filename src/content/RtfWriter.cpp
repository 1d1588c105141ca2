#include "content/RtfWriter.h"

#include "app/CodePage.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <map>
#include <vector>

namespace {

// The state the text written so far leaves a reader in.
struct WrittenState
{
    int font = 0;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int color = 0;
    int highlight = 0;
    int raise = 0;
};

int HalfPoints(int twips)
{
    return (twips + (twips >= 0 ? 5 : -5)) / 10;
}

class COutput
{
public:
    COutput(int ansiCodePage) : fallback_(ansiCodePage) { out_.reserve(4096); }

    // A control word with an optional parameter.
    void Word(const char* word) { WordStart(word); }
    void Word(const char* word, int value)
    {
        WordStart(word);
        out_.append(QByteArray::number(value));
    }
    void Raw(const char* text)
    {
        out_.append(text);
        delimit_ = false;
    }
    // Text of the document: tabs, line breaks, no-break spaces and soft
    // hyphens as their control words.
    void Text(const QString& text) { Write(text, true); }
    // A face name in the font table, where only \uN is read.
    void FaceName(const QString& face) { Write(face, false); }
    QByteArray& Bytes() { return out_; }

private:
    void WordStart(const char* word)
    {
        out_.append('\\');
        out_.append(word);
        delimit_ = true;
    }
    void Literal(char c)
    {
        if (delimit_)
            out_.append(' ');
        out_.append(c);
        delimit_ = false;
    }
    // The fallback after \uN: "?" ends the control word by itself.
    void Fallback()
    {
        out_.append('?');
        delimit_ = false;
    }
    void Hex(unsigned char byte)
    {
        static const char kDigits[] = "0123456789abcdef";
        out_.append("\\'");
        out_.append(kDigits[byte >> 4]);
        out_.append(kDigits[byte & 15]);
        delimit_ = false;
    }

    void Write(const QString& text, bool controlWords);

    QByteArray out_;
    bool delimit_ = false;  // a literal after the last control word needs a space
    CCodePageConverter fallback_;
};

void COutput::Write(const QString& text, bool controlWords)
{
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out_.append('\\');
            out_.append(static_cast<char>(c));
            delimit_ = false;
            continue;
        }
        switch (controlWords ? c : 0) {
        case u'\t':
            Word("tab");
            continue;
        case 0x2028:
            Word("line");
            continue;
        case 0x00A0:
            Raw("\\~");
            continue;
        case 0x00AD:
            Raw("\\-");
            continue;
        case 0xFFFC:  // embedded objects are not written
            continue;
        default:
            break;
        }
        if (c < 0x20)
            continue;
        if (c < 0x80) {
            Literal(static_cast<char>(c));
            continue;
        }
        // \uN takes a signed 16-bit number; a surrogate pair is two of them.
        Word("u", c > 0x7FFF ? static_cast<int>(c) - 0x10000 : static_cast<int>(c));
        char32_t character = c;
        if (QChar::isHighSurrogate(c) && i + 1 < length && text[i + 1].isLowSurrogate())
            character = QChar::surrogateToUcs4(c, text[i + 1].unicode());
        else if (QChar::isSurrogate(c))
            character = 0;
        if (QChar::isLowSurrogate(c)) {
            Fallback();
            continue;
        }
        const QByteArray encoded = character ? fallback_.EncodeChar(character) : QByteArray();
        if (encoded.size() == 1 && static_cast<unsigned char>(encoded[0]) >= 0x80)
            Hex(static_cast<unsigned char>(encoded[0]));
        else if (encoded.size() == 1 && static_cast<unsigned char>(encoded[0]) >= 0x20 &&
                 encoded[0] != '\\' && encoded[0] != '{' && encoded[0] != '}')
            Literal(encoded[0]);
        else
            Fallback();
    }
}

// Fonts and colours in the order of their first use, so that the tables are
// the same for the same document.
struct Tables
{
    std::vector<QString> fonts;
    std::map<QString, int> fontIndex;
    std::vector<ColorRef> colors;  // written from index 1
    std::map<ColorRef, int> colorIndex;

    int Font(const QString& face)
    {
        const auto [it, added] = fontIndex.emplace(face, static_cast<int>(fonts.size()));
        if (added)
            fonts.push_back(face);
        return it->second;
    }
    int Color(ColorRef color)
    {
        const auto [it, added] = colorIndex.emplace(color, static_cast<int>(colors.size()) + 1);
        if (added)
            colors.push_back(color);
        return it->second;
    }
    void Add(const CCharFormat& format)
    {
        Font(format.face);
        if (!(format.effects & kCfeAutoColor))
            Color(format.textColor);
        if (!(format.effects & kCfeAutoBackColor))
            Color(format.backColor);
    }
};

void WriteCharFormat(COutput& out, Tables& tables, const CCharFormat& format, WrittenState& state)
{
    const int color = (format.effects & kCfeAutoColor) ? 0 : tables.Color(format.textColor);
    if (color != state.color)
        out.Word("cf", state.color = color);
    const int highlight = (format.effects & kCfeAutoBackColor) ? 0 : tables.Color(format.backColor);
    if (highlight != state.highlight)
        out.Word("highlight", state.highlight = highlight);
    const auto toggle = [&out](bool wanted, bool& written, const char* on, const char* off) {
        if (wanted == written)
            return;
        written = wanted;
        out.Word(wanted ? on : off);
    };
    toggle((format.effects & kCfeBold) != 0, state.bold, "b", "b0");
    toggle((format.effects & kCfeItalic) != 0, state.italic, "i", "i0");
    toggle((format.effects & kCfeUnderline) != 0, state.underline, "ul", "ulnone");
    toggle((format.effects & kCfeStrikeOut) != 0, state.strike, "strike", "strike0");
    const int font = tables.Font(format.face);
    if (font != state.font)
        out.Word("f", state.font = font);
    const int halfPoints = HalfPoints(format.height);
    if (halfPoints != state.halfPoints)
        out.Word("fs", state.halfPoints = halfPoints);
    const int raise = HalfPoints(format.offset);
    if (raise != state.raise) {
        state.raise = raise;
        if (raise >= 0)
            out.Word("up", raise);
        else
            out.Word("dn", -raise);
    }
}

void WriteParaFormat(COutput& out, const CParaFormat& format)
{
    out.Word("pard");
    switch (format.alignment) {
    case kAlignRight:
        out.Word("qr");
        break;
    case kAlignCenter:
        out.Word("qc");
        break;
    case kAlignJustify:
        out.Word("qj");
        break;
    default:
        break;
    }
    const int left = format.startIndent + format.offset;
    const int first = -format.offset;
    if (first != 0)
        out.Word("fi", first);
    if (left != 0)
        out.Word("li", left);
    if (format.rightIndent != 0)
        out.Word("ri", format.rightIndent);
    if (format.spaceBefore != 0)
        out.Word("sb", format.spaceBefore);
    if (format.spaceAfter != 0)
        out.Word("sa", format.spaceAfter);
    switch (format.lineSpacingRule) {
    case kSpacingOneAndHalf:
        out.Word("sl", 360);
        out.Word("slmult", 1);
        break;
    case kSpacingDouble:
        out.Word("sl", 480);
        out.Word("slmult", 1);
        break;
    case kSpacingAtLeast:
        if (format.lineSpacing > 0) {
            out.Word("sl", format.lineSpacing);
            out.Word("slmult", 0);
        }
        break;
    case kSpacingExactly:
        if (format.lineSpacing > 0) {
            out.Word("sl", -format.lineSpacing);
            out.Word("slmult", 0);
        }
        break;
    case kSpacingMultiple:
        if (format.lineSpacing > 0) {
            out.Word("sl", format.lineSpacing * 12);
            out.Word("slmult", 1);
        }
        break;
    default:
        break;
    }
}

}  // namespace

CRtfWriter::CRtfWriter(const CRichTextFormatConverter& converter, int ansiCodePage)
    : converter_(converter), ansiCodePage_(ansiCodePage)
{
}

QByteArray CRtfWriter::Write(const QTextDocument& document) const
{
    // First pass: the formats of every block and fragment, and the tables.
    struct Run
    {
        QString text;
        CCharFormat format;
    };
    struct Paragraph
    {
        CParaFormat format;
        std::vector<Run> runs;
        CCharFormat mark;  // the format of the paragraph mark
    };
    std::vector<Paragraph> paragraphs;
    Tables tables;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        Paragraph& paragraph = paragraphs.emplace_back();
        paragraph.format = converter_.FromQt(block.blockFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            Run& run = paragraph.runs.emplace_back();
            run.text = fragment.text();
            run.format = converter_.FromQt(fragment.charFormat());
            run.format.face = converter_.NormalFace(run.format.face);
            tables.Add(run.format);
        }
        paragraph.mark = converter_.FromQt(block.charFormat());
        paragraph.mark.face = converter_.NormalFace(paragraph.mark.face);
        tables.Add(paragraph.mark);
    }
    if (tables.fonts.empty())
        tables.Font(converter_.DefaultFormat().face);

    COutput out(ansiCodePage_);
    out.Raw("{\\rtf1\\ansi");
    out.Word("ansicpg", ansiCodePage_);
    out.Word("deff", 0);
    out.Raw("{\\fonttbl");
    for (std::size_t i = 0; i < tables.fonts.size(); ++i) {
        out.Raw("{");
        out.Word("f", static_cast<int>(i));
        out.Word("fnil");
        out.Word("fcharset", 0);
        out.FaceName(tables.fonts[i]);
        out.Raw(";}");
    }
    out.Raw("}\r\n");
    if (!tables.colors.empty()) {
        out.Raw("{\\colortbl ;");
        for (ColorRef color : tables.colors) {
            out.Word("red", static_cast<int>(color & 0xFF));
            out.Word("green", static_cast<int>((color >> 8) & 0xFF));
            out.Word("blue", static_cast<int>((color >> 16) & 0xFF));
            out.Raw(";");
        }
        out.Raw("}\r\n");
    }
    out.Word("viewkind", 4);
    out.Word("uc", 1);

    WrittenState state;
    const CParaFormat* previous = nullptr;
    for (const Paragraph& paragraph : paragraphs) {
        if (!previous || !(*previous == paragraph.format))
            WriteParaFormat(out, paragraph.format);
        previous = &paragraph.format;
        for (const Run& run : paragraph.runs) {
            WriteCharFormat(out, tables, run.format, state);
            out.Text(run.text);
        }
        WriteCharFormat(out, tables, paragraph.mark, state);
        out.Word("par");
        out.Raw("\r\n");
    }
    out.Raw("}\r\n");
    return std::move(out.Bytes());
}
