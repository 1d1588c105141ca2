#include "content/RtfReader.h"

#include "app/CodePage.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kMaxControlWordLength = 32;
constexpr int kMaxTableEntries = 4096;
constexpr int kMaxIndentTwips = 31680;  // 22 inches
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;    // 1638 points
constexpr int kMaxSkipCount = 16;

enum class Destination { Text, FontTable, FontAltName, ColorTable, Skip };

struct CharState
{
    int font = -1;  // -1: the default font (\deff)
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int color = 0;      // colour table index, 0 = automatic
    int highlight = 0;  // colour table index, 0 = none
    int raise = 0;      // half points, negative lowers

    bool operator==(const CharState&) const = default;
};

struct ParaState
{
    int alignment = kAlignLeft;
    int left = 0;  // twips, \li
    int right = 0;
    int first = 0;  // \fi, relative to \li
    int before = 0;
    int after = 0;
    int spacing = 0;  // \sl
    bool multiple = false;  // \slmult1
};

struct GroupState
{
    CharState character;
    ParaState paragraph;
    Destination destination = Destination::Text;
    int unicodeSkip = 1;  // \uc
};

struct FontEntry
{
    QString name;
    QString altName;
    QByteArray pending;  // name bytes not decoded yet
    bool pendingIsAlt = false;
    int charset = -1;
    int codePage = 0;  // \cpg
};

struct ResolvedFont
{
    QString face;
    int codePage = 1252;
};

struct Color
{
    bool automatic = true;
    ColorRef value = 0;
};

// The control words the reader acts on.
enum class Word {
    Unknown,
    Rtf, Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont, UnicodeSkip, Unicode,
    FontTable, ColorTable, Font, FontCharset, FontCodePage, FontName, Red, Green, Blue,
    Par, Line, Tab, Cell, Row, Page,
    Pard, Plain, Bold, Italic, Underline, UnderlineNone, Strike, Hidden, FontSize, Color, Highlight,
    Up, Down, Super, Sub, NoSuperSub,
    AlignLeft, AlignCenter, AlignRight, AlignJustify, LeftIndent, RightIndent, FirstIndent,
    SpaceBefore, SpaceAfter, LineSpacing, LineMultiple,
    EmDash, EnDash, EmSpace, EnSpace, QmSpace, Bullet, LeftQuote, RightQuote, LeftDoubleQuote,
    RightDoubleQuote, ZeroWidthJoiner, ZeroWidthNonJoiner, Binary, SkipDestination, TextDestination,
};

const std::unordered_map<std::string_view, Word>& WordTable()
{
    static const std::unordered_map<std::string_view, Word> table = {
        {"rtf", Word::Rtf}, {"ansi", Word::Ansi}, {"mac", Word::Mac}, {"pc", Word::Pc}, {"pca", Word::Pca},
        {"ansicpg", Word::AnsiCodePage}, {"deff", Word::DefaultFont}, {"uc", Word::UnicodeSkip},
        {"u", Word::Unicode}, {"fonttbl", Word::FontTable}, {"colortbl", Word::ColorTable}, {"f", Word::Font},
        {"fcharset", Word::FontCharset}, {"cpg", Word::FontCodePage}, {"fname", Word::FontName},
        {"red", Word::Red}, {"green", Word::Green}, {"blue", Word::Blue}, {"par", Word::Par},
        {"line", Word::Line}, {"tab", Word::Tab}, {"cell", Word::Cell}, {"nestcell", Word::Cell},
        {"row", Word::Row}, {"nestrow", Word::Row}, {"page", Word::Page}, {"sect", Word::Page},
        {"pard", Word::Pard}, {"plain", Word::Plain}, {"b", Word::Bold}, {"i", Word::Italic},
        {"ul", Word::Underline}, {"uld", Word::Underline}, {"uldash", Word::Underline},
        {"uldashd", Word::Underline}, {"uldashdd", Word::Underline}, {"uldb", Word::Underline},
        {"ulth", Word::Underline}, {"ulw", Word::Underline}, {"ulwave", Word::Underline},
        {"ulnone", Word::UnderlineNone}, {"strike", Word::Strike}, {"striked", Word::Strike},
        {"v", Word::Hidden}, {"fs", Word::FontSize}, {"cf", Word::Color}, {"highlight", Word::Highlight},
        {"cb", Word::Highlight}, {"chcbpat", Word::Highlight}, {"up", Word::Up}, {"dn", Word::Down},
        {"super", Word::Super}, {"sub", Word::Sub}, {"nosupersub", Word::NoSuperSub},
        {"ql", Word::AlignLeft}, {"qc", Word::AlignCenter}, {"qr", Word::AlignRight},
        {"qj", Word::AlignJustify}, {"qd", Word::AlignJustify}, {"li", Word::LeftIndent},
        {"lin", Word::LeftIndent}, {"ri", Word::RightIndent}, {"rin", Word::RightIndent},
        {"fi", Word::FirstIndent}, {"sb", Word::SpaceBefore}, {"sa", Word::SpaceAfter},
        {"sl", Word::LineSpacing}, {"slmult", Word::LineMultiple}, {"emdash", Word::EmDash},
        {"endash", Word::EnDash}, {"emspace", Word::EmSpace}, {"enspace", Word::EnSpace},
        {"qmspace", Word::QmSpace}, {"bullet", Word::Bullet}, {"lquote", Word::LeftQuote},
        {"rquote", Word::RightQuote}, {"ldblquote", Word::LeftDoubleQuote},
        {"rdblquote", Word::RightDoubleQuote}, {"zwj", Word::ZeroWidthJoiner},
        {"zwnj", Word::ZeroWidthNonJoiner}, {"bin", Word::Binary},
        // Destinations whose content is not text of the document.
        {"stylesheet", Word::SkipDestination}, {"info", Word::SkipDestination},
        {"pict", Word::SkipDestination}, {"object", Word::SkipDestination},
        {"header", Word::SkipDestination}, {"headerl", Word::SkipDestination},
        {"headerr", Word::SkipDestination}, {"headerf", Word::SkipDestination},
        {"footer", Word::SkipDestination}, {"footerl", Word::SkipDestination},
        {"footerr", Word::SkipDestination}, {"footerf", Word::SkipDestination},
        {"footnote", Word::SkipDestination}, {"annotation", Word::SkipDestination},
        {"fldinst", Word::SkipDestination}, {"xe", Word::SkipDestination}, {"tc", Word::SkipDestination},
        {"listtable", Word::SkipDestination}, {"listoverridetable", Word::SkipDestination},
        {"revtbl", Word::SkipDestination}, {"rsidtbl", Word::SkipDestination},
        {"generator", Word::SkipDestination}, {"filetbl", Word::SkipDestination},
        {"template", Word::SkipDestination}, {"nonshppict", Word::SkipDestination},
        {"shp", Word::SkipDestination}, {"shpinst", Word::SkipDestination}, {"sp", Word::SkipDestination},
        {"pn", Word::SkipDestination}, {"falt", Word::SkipDestination}, {"panose", Word::SkipDestination},
        {"themedata", Word::SkipDestination}, {"colorschememapping", Word::SkipDestination},
        {"latentstyles", Word::SkipDestination}, {"datastore", Word::SkipDestination},
        {"xmlnstbl", Word::SkipDestination}, {"pgdsctbl", Word::SkipDestination},
        {"userprops", Word::SkipDestination}, {"bkmkstart", Word::SkipDestination},
        {"bkmkend", Word::SkipDestination}, {"objdata", Word::SkipDestination},
        {"result", Word::TextDestination}, {"fldrslt", Word::TextDestination},
        {"pntext", Word::TextDestination}, {"listtext", Word::TextDestination},
    };
    return table;
}

// The character a control word stands for (\emdash, \lquote, ...); 0 for
// any other word.
char16_t SpecialCharacter(Word word)
{
    switch (word) {
    case Word::EmDash: return 0x2014;
    case Word::EnDash: return 0x2013;
    case Word::EmSpace: return 0x2003;
    case Word::EnSpace: return 0x2002;
    case Word::QmSpace: return 0x2005;
    case Word::Bullet: return 0x2022;
    case Word::LeftQuote: return 0x2018;
    case Word::RightQuote: return 0x2019;
    case Word::LeftDoubleQuote: return 0x201C;
    case Word::RightDoubleQuote: return 0x201D;
    case Word::ZeroWidthJoiner: return 0x200D;
    case Word::ZeroWidthNonJoiner: return 0x200C;
    default: return 0;
    }
}

int Clamp(int value, int low, int high)
{
    return std::clamp(value, low, high);
}

bool IsLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One reading pass: the parser state and the document being built.
class CRtfParse
{
public:
    CRtfParse(const CRichTextFormatConverter& converter, int ansiCodePage, bool singleLine, QTextDocument& document)
        : converter_(converter), documentCodePage_(ansiCodePage), singleLine_(singleLine), cursor_(&document)
    {
    }

    void Run(const unsigned char* data, std::size_t size);

private:
    GroupState& State() { return stack_.back(); }
    void OpenGroup();
    void CloseGroup();
    std::size_t ControlWord(const unsigned char* data, std::size_t size, std::size_t i);
    std::size_t ControlSymbol(const unsigned char* data, std::size_t size, std::size_t i);
    void Apply(Word word, bool hasParameter, int parameter);
    void ApplyFontTableWord(Word word, bool hasParameter, int parameter);
    void ApplyColorTableWord(Word word, int parameter);
    bool ApplyDocumentWord(Word word, bool hasParameter, int parameter);
    bool ApplyCharacterWord(Word word, bool hasParameter, int parameter);
    bool ApplyParagraphWord(Word word, bool hasParameter, int parameter);
    void ApplyTextWord(Word word);
    void Byte(unsigned char byte);
    void UnicodeChar(char16_t unit);
    void Character(QChar character);
    void FlushBytes();
    void FlushFontName(FontEntry& entry);
    void FlushRun();
    bool CountPiece();
    void EndParagraph();
    void LineBreak();
    void Finish();
    const ResolvedFont& Font(int index);
    CCodePageConverter& Converter(int codePage);
    QTextCharFormat QtFormat(const CharState& state);
    CCharFormat Format(const CharState& state);
    CParaFormat Format(const ParaState& state) const;
    ColorRef ColorAt(int index, bool& automatic) const;
    FontEntry* CurrentFontEntry();

    const CRichTextFormatConverter& converter_;
    int documentCodePage_;
    bool singleLine_;
    QTextCursor cursor_;

    std::vector<GroupState> stack_;
    int overflowDepth_ = 0;   // groups opened beyond kMaxDepth, all skipped
    bool ignorable_ = false;  // \* seen before the next control word
    int skipCount_ = 0;       // fallback characters after \u still to skip
    bool done_ = false;

    int defaultFont_ = 0;
    std::map<int, FontEntry> fonts_;
    std::map<int, ResolvedFont> resolvedFonts_;
    bool haveFontEntry_ = false;  // a font table entry is being read
    int fontEntry_ = 0;
    std::vector<Color> colors_;
    Color pendingColor_;

    QByteArray bytes_;  // text bytes in the code page of the current font
    QString run_;
    CharState runState_;
    char16_t highSurrogate_ = 0;
    std::map<int, std::unique_ptr<CCodePageConverter>> converters_;
    bool haveFormat_ = false;
    CharState formatState_;
    QTextCharFormat format_;

    bool paragraphBreakPending_ = false;  // a \par ended the last paragraph
    bool spacePending_ = false;           // single line: a break waits as a space
    bool anyText_ = false;
    qsizetype textLength_ = 0;
    int pieces_ = 0;  // runs and paragraphs put into the document
    bool truncated_ = false;

public:
    bool Truncated() const { return truncated_; }
};

void CRtfParse::Run(const unsigned char* data, std::size_t size)
{
    cursor_.beginEditBlock();
    std::size_t i = 0;
    while (i < size && !done_) {
        const unsigned char c = data[i];
        if (c == '{') {
            FlushBytes();
            skipCount_ = 0;
            OpenGroup();
            ++i;
        } else if (c == '}') {
            FlushBytes();
            skipCount_ = 0;
            CloseGroup();
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= size)
                break;
            if (IsLetter(data[i + 1]))
                i = ControlWord(data, size, i + 1);
            else
                i = ControlSymbol(data, size, i + 1);
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else {
            if (skipCount_ > 0) {
                --skipCount_;
            } else if (overflowDepth_ > 0) {
                // text of groups nested too deeply is dropped
            } else if (c == '\t') {
                Apply(Word::Tab, false, 0);
            } else if (c >= 0x20) {
                Byte(c);
            }
            ++i;
        }
    }
    Finish();
    cursor_.endEditBlock();
}

void CRtfParse::OpenGroup()
{
    if (stack_.empty()) {
        stack_.emplace_back();
        return;
    }
    if (overflowDepth_ > 0 || static_cast<int>(stack_.size()) >= CRtfReader::kMaxDepth) {
        ++overflowDepth_;
        return;
    }
    stack_.push_back(stack_.back());
}

void CRtfParse::CloseGroup()
{
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return;
    }
    if (stack_.size() <= 1) {
        done_ = true;  // the document's own group has ended
        return;
    }
    const Destination leaving = State().destination;
    stack_.pop_back();
    if (leaving == Destination::FontTable)
        haveFontEntry_ = false;  // an entry's group ends the entry, with or without ";"

    ignorable_ = false;
}

std::size_t CRtfParse::ControlWord(const unsigned char* data, std::size_t size, std::size_t i)
{
    const std::size_t nameStart = i;
    while (i < size && IsLetter(data[i]))
        ++i;
    const std::size_t nameLength = i - nameStart;
    bool negative = false;
    bool hasParameter = false;
    int64_t value = 0;
    if (i < size && data[i] == '-' && i + 1 < size && data[i + 1] >= '0' && data[i + 1] <= '9') {
        negative = true;
        ++i;
    }
    while (i < size && data[i] >= '0' && data[i] <= '9') {
        hasParameter = true;
        if (value < INT32_MAX)
            value = value * 10 + (data[i] - '0');
        ++i;
    }
    if (i < size && data[i] == ' ')
        ++i;  // the delimiter belongs to the control word
    value = std::min<int64_t>(value, INT32_MAX);
    const int parameter = static_cast<int>(negative ? -value : value);

    if (skipCount_ > 0) {
        --skipCount_;
        return i;
    }
    if (nameLength > static_cast<std::size_t>(kMaxControlWordLength)) {
        ignorable_ = false;
        return i;
    }
    const std::string_view name(reinterpret_cast<const char*>(data + nameStart), nameLength);
    const auto& table = WordTable();
    const auto found = table.find(name);
    Word word = found == table.end() ? Word::Unknown : found->second;
    if (word == Word::Binary) {
        // Binary data is never text; skip it whole.
        const std::size_t length = hasParameter && parameter > 0 ? static_cast<std::size_t>(parameter) : 0;
        return i + std::min(length, size - i);
    }
    if (overflowDepth_ > 0 || stack_.empty())
        return i;
    // \* marks a destination that may be skipped when not understood; the
    // only one understood here is a font's alternative name.
    if (ignorable_ && !(word == Word::FontName && State().destination == Destination::FontTable))
        word = Word::SkipDestination;
    ignorable_ = false;
    if (State().destination == Destination::Skip)
        return i;
    if (word != Word::Unknown)
        Apply(word, hasParameter, parameter);
    return i;
}

std::size_t CRtfParse::ControlSymbol(const unsigned char* data, std::size_t size, std::size_t i)
{
    const unsigned char symbol = data[i++];
    if (symbol == '\'') {
        // \'hh: a byte in the code page of the current font.
        const int high = i < size ? HexValue(data[i]) : -1;
        const int low = i + 1 < size ? HexValue(data[i + 1]) : -1;
        if (high < 0 || low < 0)
            return high < 0 ? i : i + 1;  // truncated: dropped
        i += 2;
        if (skipCount_ > 0) {
            --skipCount_;
            return i;
        }
        if (overflowDepth_ == 0 && !stack_.empty())
            Byte(static_cast<unsigned char>(high * 16 + low));
        return i;
    }
    if (skipCount_ > 0 && symbol != '*') {
        --skipCount_;
        return i;
    }
    if (overflowDepth_ > 0 || stack_.empty())
        return i;
    switch (symbol) {
    case '*':
        ignorable_ = true;
        break;
    case '\\':
    case '{':
    case '}':
        Byte(symbol);
        break;
    case '~':
        UnicodeChar(0x00A0);
        break;
    case '-':
        UnicodeChar(0x00AD);
        break;
    case '_':
        UnicodeChar(0x2011);
        break;
    case '\r':
    case '\n':
        Apply(Word::Par, false, 0);
        break;
    case '\t':
        Apply(Word::Tab, false, 0);
        break;
    default:
        break;  // \: \| and unknown symbols
    }
    return i;
}

void CRtfParse::Apply(Word word, bool hasParameter, int parameter)
{
    // Tables: only their own words count while they are open.
    switch (State().destination) {
    case Destination::FontTable:
    case Destination::FontAltName:
        FlushBytes();
        ApplyFontTableWord(word, hasParameter, parameter);
        return;
    case Destination::ColorTable:
        ApplyColorTableWord(word, parameter);
        return;
    default:
        break;
    }

    // The bytes before the word are text in the font and code page they
    // came in.
    FlushBytes();
    if (ApplyDocumentWord(word, hasParameter, parameter))
        return;
    if (ApplyCharacterWord(word, hasParameter, parameter))
        return;
    if (ApplyParagraphWord(word, hasParameter, parameter))
        return;
    ApplyTextWord(word);
}

// A font table entry: its number, character set, code page and names.
void CRtfParse::ApplyFontTableWord(Word word, bool hasParameter, int parameter)
{
    GroupState& state = State();
    switch (word) {
    case Word::Font:
        haveFontEntry_ = fonts_.count(parameter) || fonts_.size() < static_cast<std::size_t>(kMaxTableEntries);
        if (haveFontEntry_) {
            fonts_[parameter];
            fontEntry_ = parameter;
            resolvedFonts_.clear();
        }
        break;
    case Word::FontCharset:
        if (FontEntry* entry = CurrentFontEntry())
            entry->charset = parameter;
        break;
    case Word::FontCodePage:
        if (FontEntry* entry = CurrentFontEntry())
            entry->codePage = parameter;
        break;
    case Word::FontName:
        state.destination = Destination::FontAltName;
        break;
    case Word::Unicode:
        if (FontEntry* entry = CurrentFontEntry()) {
            FlushFontName(*entry);
            const int unit = parameter < 0 ? parameter + 65536 : parameter;
            QString& name = state.destination == Destination::FontAltName ? entry->altName : entry->name;
            if (hasParameter && parameter >= -32768 && unit >= 0x20 && unit <= 0xFFFF && name.size() < 256)
                name.append(QChar(static_cast<char16_t>(unit)));
        }
        skipCount_ = state.unicodeSkip;
        break;
    case Word::SkipDestination:
        state.destination = Destination::Skip;
        break;
    default:
        break;
    }
}

// A colour table entry: its red, green and blue parts.
void CRtfParse::ApplyColorTableWord(Word word, int parameter)
{
    const ColorRef part = static_cast<ColorRef>(Clamp(parameter, 0, 255));
    switch (word) {
    case Word::Red:
        pendingColor_.automatic = false;
        pendingColor_.value = (pendingColor_.value & 0xFFFF00) | part;
        break;
    case Word::Green:
        pendingColor_.automatic = false;
        pendingColor_.value = (pendingColor_.value & 0xFF00FF) | part << 8;
        break;
    case Word::Blue:
        pendingColor_.automatic = false;
        pendingColor_.value = (pendingColor_.value & 0x00FFFF) | part << 16;
        break;
    case Word::SkipDestination:
        State().destination = Destination::Skip;
        break;
    default:
        break;
    }
}

// The document's code page and default font, Unicode characters and where
// the text that follows goes. False for a word of another kind.
bool CRtfParse::ApplyDocumentWord(Word word, bool hasParameter, int parameter)
{
    GroupState& state = State();
    switch (word) {
    case Word::Rtf:
    case Word::Ansi:
        break;
    case Word::Mac:
        documentCodePage_ = 10000;
        break;
    case Word::Pc:
        documentCodePage_ = 437;
        break;
    case Word::Pca:
        documentCodePage_ = 850;
        break;
    case Word::AnsiCodePage:
        if (!codepage::IconvName(parameter).isEmpty())
            documentCodePage_ = parameter;
        resolvedFonts_.clear();
        break;
    case Word::DefaultFont:
        defaultFont_ = parameter;
        break;
    case Word::UnicodeSkip:
        state.unicodeSkip = Clamp(parameter, 0, kMaxSkipCount);
        break;
    case Word::Unicode:
        if (hasParameter && parameter >= -32768 && parameter <= 65535)
            UnicodeChar(static_cast<char16_t>(parameter < 0 ? parameter + 65536 : parameter));
        skipCount_ = state.unicodeSkip;
        break;
    case Word::FontTable:
        state.destination = Destination::FontTable;
        break;
    case Word::ColorTable:
        state.destination = Destination::ColorTable;
        pendingColor_ = Color();
        break;
    case Word::SkipDestination:
        state.destination = Destination::Skip;
        break;
    case Word::TextDestination:
        state.destination = Destination::Text;
        break;
    default:
        return false;
    }
    return true;
}

// Character formatting of the group. False for a word of another kind.
bool CRtfParse::ApplyCharacterWord(Word word, bool hasParameter, int parameter)
{
    CharState& ch = State().character;
    const bool on = !hasParameter || parameter != 0;
    switch (word) {
    case Word::Font:
        ch.font = parameter;
        break;
    case Word::Plain:
        ch = CharState();
        break;
    case Word::Bold:
        ch.bold = on;
        break;
    case Word::Italic:
        ch.italic = on;
        break;
    case Word::Underline:
        ch.underline = on;
        break;
    case Word::UnderlineNone:
        ch.underline = false;
        break;
    case Word::Strike:
        ch.strike = on;
        break;
    case Word::Hidden:
        ch.hidden = on;
        break;
    case Word::FontSize:
        ch.halfPoints = hasParameter ? Clamp(parameter, kMinHalfPoints, kMaxHalfPoints) : 24;
        break;
    case Word::Color:
        ch.color = Clamp(parameter, 0, kMaxTableEntries);
        break;
    case Word::Highlight:
        ch.highlight = Clamp(parameter, 0, kMaxTableEntries);
        break;
    case Word::Up:
        ch.raise = hasParameter ? Clamp(parameter, 0, kMaxHalfPoints) : 6;
        break;
    case Word::Down:
        ch.raise = -(hasParameter ? Clamp(parameter, 0, kMaxHalfPoints) : 6);
        break;
    case Word::Super:
        ch.raise = ch.halfPoints / 3;
        break;
    case Word::Sub:
        ch.raise = -ch.halfPoints / 3;
        break;
    case Word::NoSuperSub:
        ch.raise = 0;
        break;
    default:
        return false;
    }
    return true;
}

// Paragraph formatting of the group: alignment, indents and spacing in
// twips. False for a word of another kind.
bool CRtfParse::ApplyParagraphWord(Word word, bool hasParameter, int parameter)
{
    ParaState& para = State().paragraph;
    const bool on = !hasParameter || parameter != 0;
    const int twips = Clamp(parameter, -kMaxIndentTwips, kMaxIndentTwips);
    switch (word) {
    case Word::Pard:
        para = ParaState();
        break;
    case Word::AlignLeft:
        para.alignment = kAlignLeft;
        break;
    case Word::AlignCenter:
        para.alignment = kAlignCenter;
        break;
    case Word::AlignRight:
        para.alignment = kAlignRight;
        break;
    case Word::AlignJustify:
        para.alignment = kAlignJustify;
        break;
    case Word::LeftIndent:
        para.left = twips;
        break;
    case Word::RightIndent:
        para.right = twips;
        break;
    case Word::FirstIndent:
        para.first = twips;
        break;
    case Word::SpaceBefore:
        para.before = Clamp(twips, 0, kMaxIndentTwips);
        break;
    case Word::SpaceAfter:
        para.after = Clamp(twips, 0, kMaxIndentTwips);
        break;
    case Word::LineSpacing:
        para.spacing = hasParameter ? twips : 0;
        break;
    case Word::LineMultiple:
        para.multiple = on;
        break;
    default:
        return false;
    }
    return true;
}

// Breaks and the special characters that control words name.
void CRtfParse::ApplyTextWord(Word word)
{
    switch (word) {
    case Word::Par:
    case Word::Row:
    case Word::Page:
        EndParagraph();
        return;
    case Word::Line:
        LineBreak();
        return;
    case Word::Tab:
    case Word::Cell:
        Character(QChar(u'\t'));
        return;
    default:
        break;
    }
    if (const char16_t character = SpecialCharacter(word))
        UnicodeChar(character);
}

FontEntry* CRtfParse::CurrentFontEntry()
{
    if (!haveFontEntry_)
        return nullptr;
    const auto found = fonts_.find(fontEntry_);
    return found == fonts_.end() ? nullptr : &found->second;
}

void CRtfParse::Byte(unsigned char byte)
{
    GroupState& state = State();
    switch (state.destination) {
    case Destination::Text:
        if (state.character.hidden)
            return;
        if (bytes_.isEmpty() && byte < 0x80) {
            UnicodeChar(byte);
            return;
        }
        if (bytes_.size() >= 4096)
            FlushBytes();
        bytes_.append(static_cast<char>(byte));
        return;
    case Destination::FontTable:
    case Destination::FontAltName: {
        FontEntry* entry = CurrentFontEntry();
        if (!entry)
            return;
        const bool alt = state.destination == Destination::FontAltName;
        if (entry->pendingIsAlt != alt)
            FlushFontName(*entry);
        entry->pendingIsAlt = alt;
        if (byte == ';') {
            FlushFontName(*entry);
            // The name ends; an alternative name's group has nothing more.
            if (state.destination == Destination::FontTable)
                haveFontEntry_ = false;
            else
                state.destination = Destination::Skip;
            resolvedFonts_.clear();
        } else if (entry->pending.size() < 256) {
            entry->pending.append(static_cast<char>(byte));
        }
        return;
    }
    case Destination::ColorTable:
        if (byte == ';') {
            if (colors_.size() < static_cast<std::size_t>(kMaxTableEntries))
                colors_.push_back(pendingColor_);
            pendingColor_ = Color();
        }
        return;
    case Destination::Skip:
        return;
    }
}

void CRtfParse::FlushFontName(FontEntry& entry)
{
    if (entry.pending.isEmpty())
        return;
    const int codePage = entry.codePage > 0 && !codepage::IconvName(entry.codePage).isEmpty()
                             ? entry.codePage
                             : codepage::CodePageForCharset(entry.charset < 0 ? 1 : entry.charset, documentCodePage_);
    QString& name = entry.pendingIsAlt ? entry.altName : entry.name;
    name += Converter(codePage).Decode(std::exchange(entry.pending, QByteArray()));
    resolvedFonts_.clear();
}

void CRtfParse::FlushBytes()
{
    if (bytes_.isEmpty())
        return;
    const QByteArray bytes = std::exchange(bytes_, QByteArray());
    const QString text = Converter(Font(State().character.font).codePage).Decode(bytes);
    for (QChar c : text)
        UnicodeChar(c.unicode());
}

void CRtfParse::UnicodeChar(char16_t unit)
{
    if (State().destination != Destination::Text || State().character.hidden)
        return;
    if (!bytes_.isEmpty())
        FlushBytes();
    if (QChar::isLowSurrogate(unit) && highSurrogate_) {
        Character(QChar(std::exchange(highSurrogate_, 0)));
        Character(QChar(unit));
        return;
    }
    if (highSurrogate_) {
        highSurrogate_ = 0;
        Character(QChar(QChar::ReplacementCharacter));
    }
    if (QChar::isHighSurrogate(unit)) {
        highSurrogate_ = unit;
        return;
    }
    if (QChar::isLowSurrogate(unit)) {
        Character(QChar(QChar::ReplacementCharacter));
        return;
    }
    switch (unit) {
    case 0x2028:
        LineBreak();
        return;
    case 0x2029:
        EndParagraph();
        return;
    case 0xFFFC:  // embedded object
    case 0xFFFE:
    case 0xFFFF:
        return;
    default:
        break;
    }
    if (unit >= 0xFDD0 && unit <= 0xFDEF)
        return;  // non-characters; the text document uses some of them itself
    if (unit < 0x20 && unit != u'\t')
        return;
    Character(QChar(unit));
}

void CRtfParse::Character(QChar character)
{
    if (State().destination != Destination::Text || State().character.hidden)
        return;
    if (highSurrogate_ && !character.isLowSurrogate()) {
        highSurrogate_ = 0;
        Character(QChar(QChar::ReplacementCharacter));  // a high surrogate without its pair
    }
    const CharState& state = State().character;
    if (paragraphBreakPending_ || spacePending_) {
        if (!run_.isEmpty())
            FlushRun();
        if (paragraphBreakPending_) {
            cursor_.insertBlock();
            paragraphBreakPending_ = false;
        } else {
            runState_ = state;
            run_.append(QChar(u' '));
            spacePending_ = false;
        }
    }
    if (!run_.isEmpty() && !(runState_ == state))
        FlushRun();
    if (run_.isEmpty())
        runState_ = state;
    if (++textLength_ > CRtfReader::kMaxTextLength) {
        truncated_ = true;
        done_ = true;
        return;
    }
    run_.append(character);
    anyText_ = true;
}

void CRtfParse::FlushRun()
{
    if (run_.isEmpty() || !CountPiece())
        return;
    cursor_.insertText(run_, QtFormat(runState_));
    run_.clear();
}

bool CRtfParse::CountPiece()
{
    if (++pieces_ <= CRtfReader::kMaxPieces)
        return true;
    truncated_ = true;
    done_ = true;
    run_.clear();
    return false;
}

void CRtfParse::EndParagraph()
{
    if (State().destination != Destination::Text)
        return;
    if (singleLine_) {
        LineBreak();
        return;
    }
    FlushRun();
    if (!CountPiece())
        return;
    if (paragraphBreakPending_)
        cursor_.insertBlock();
    cursor_.setBlockFormat(converter_.ToQt(Format(State().paragraph), cursor_.blockFormat()));
    cursor_.setBlockCharFormat(QtFormat(State().character));
    paragraphBreakPending_ = true;
}

void CRtfParse::LineBreak()
{
    if (State().destination != Destination::Text)
        return;
    if (singleLine_) {
        if (anyText_)
            spacePending_ = true;
        return;
    }
    Character(QChar(QChar::LineSeparator));
}

void CRtfParse::Finish()
{
    if (stack_.empty())
        stack_.emplace_back();
    overflowDepth_ = 0;
    // Text cut off by the end of the data still belongs to the document.
    while (stack_.back().destination != Destination::Text && stack_.size() > 1)
        stack_.pop_back();
    stack_.back().destination = Destination::Text;
    FlushBytes();
    if (highSurrogate_) {
        highSurrogate_ = 0;
        Character(QChar(QChar::ReplacementCharacter));
    }
    FlushRun();
    if (!paragraphBreakPending_) {
        cursor_.setBlockFormat(converter_.ToQt(Format(State().paragraph), cursor_.blockFormat()));
        cursor_.setBlockCharFormat(QtFormat(State().character));
    }
}

const ResolvedFont& CRtfParse::Font(int index)
{
    if (index < 0)
        index = defaultFont_;
    auto cached = resolvedFonts_.find(index);
    if (cached != resolvedFonts_.end())
        return cached->second;
    ResolvedFont resolved;
    resolved.face = converter_.DefaultFormat().face;
    resolved.codePage = documentCodePage_;
    const auto found = fonts_.find(index);
    if (found != fonts_.end()) {
        FontEntry& entry = found->second;
        FlushFontName(entry);
        resolved.codePage = entry.codePage > 0 && !codepage::IconvName(entry.codePage).isEmpty()
                                ? entry.codePage
                                : codepage::CodePageForCharset(entry.charset < 0 ? 1 : entry.charset,
                                                               documentCodePage_);
        // "Arial CYR" and the like name a script variant; \*\fname holds the face.
        resolved.face = converter_.NormalFace(entry.altName.trimmed().isEmpty() ? entry.name : entry.altName);
    }
    if (resolvedFonts_.size() >= static_cast<std::size_t>(kMaxTableEntries))
        resolvedFonts_.clear();
    return resolvedFonts_.emplace(index, resolved).first->second;
}

CCodePageConverter& CRtfParse::Converter(int codePage)
{
    auto& converter = converters_[codePage];
    if (!converter)
        converter = std::make_unique<CCodePageConverter>(codePage);
    return *converter;
}

ColorRef CRtfParse::ColorAt(int index, bool& automatic) const
{
    automatic = true;
    if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size())
        return 0;
    automatic = colors_[static_cast<std::size_t>(index)].automatic;
    return colors_[static_cast<std::size_t>(index)].value;
}

CCharFormat CRtfParse::Format(const CharState& state)
{
    CCharFormat format;
    format.mask = kCfmAll;
    format.face = Font(state.font).face;
    format.height = state.halfPoints * 10;
    format.offset = state.raise * 10;
    if (state.bold)
        format.effects |= kCfeBold;
    if (state.italic)
        format.effects |= kCfeItalic;
    if (state.underline)
        format.effects |= kCfeUnderline;
    if (state.strike)
        format.effects |= kCfeStrikeOut;
    bool automatic = true;
    format.textColor = ColorAt(state.color, automatic);
    if (automatic)
        format.effects |= kCfeAutoColor;
    format.backColor = ColorAt(state.highlight, automatic);
    if (automatic)
        format.effects |= kCfeAutoBackColor;
    return format;
}

QTextCharFormat CRtfParse::QtFormat(const CharState& state)
{
    if (!haveFormat_ || !(formatState_ == state)) {
        format_ = converter_.ToQt(Format(state));
        formatState_ = state;
        haveFormat_ = true;
    }
    return format_;
}

CParaFormat CRtfParse::Format(const ParaState& state) const
{
    CParaFormat format;
    format.mask = kPfmAll;
    format.alignment = state.alignment;
    format.startIndent = state.left + state.first;
    format.offset = -state.first;
    format.rightIndent = state.right;
    format.spaceBefore = state.before;
    format.spaceAfter = state.after;
    if (state.spacing < 0) {
        format.lineSpacingRule = kSpacingExactly;
        format.lineSpacing = -state.spacing;
    } else if (state.spacing > 0 && state.multiple) {
        format.lineSpacingRule = kSpacingMultiple;
        format.lineSpacing = std::max(1, (state.spacing + 6) / 12);  // twentieths of a line
    } else if (state.spacing > 0) {
        format.lineSpacingRule = kSpacingAtLeast;
        format.lineSpacing = state.spacing;
    }
    return format;
}

bool LooksLikeRtf(const char* data, std::size_t size)
{
    std::size_t i = 0;
    if (size >= 3 && static_cast<unsigned char>(data[0]) == 0xEF && static_cast<unsigned char>(data[1]) == 0xBB &&
        static_cast<unsigned char>(data[2]) == 0xBF)
        i = 3;
    while (i < size && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return size - i >= 5 && std::string_view(data + i, 5) == "{\\rtf";
}

}  // namespace

CRtfReader::CRtfReader(const CRichTextFormatConverter& converter, int ansiCodePage, bool singleLine)
    : converter_(converter), ansiCodePage_(ansiCodePage), singleLine_(singleLine)
{
}

bool CRtfReader::Read(const char* data, std::size_t size, QTextDocument& document)
{
    error_.clear();
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    bool ok = true;
    if (!data || size == 0) {
        error_ = QStringLiteral("no data");
        ok = false;
    } else if (size > kMaxInputSize) {
        error_ = QStringLiteral("RTF data of %1 bytes is larger than %2 bytes").arg(size).arg(kMaxInputSize);
        ok = false;
    } else if (!LooksLikeRtf(data, size)) {
        error_ = QStringLiteral("the data does not begin with {\\rtf");
        ok = false;
    } else {
        std::size_t start = 0;
        while (data[start] != '{')
            ++start;
        CRtfParse parse(converter_, ansiCodePage_, singleLine_, document);
        parse.Run(reinterpret_cast<const unsigned char*>(data) + start, size - start);
        if (parse.Truncated())
            error_ = QStringLiteral("the text was cut: more than %1 characters or %2 runs and paragraphs")
                         .arg(kMaxTextLength)
                         .arg(kMaxPieces);
    }
    document.setUndoRedoEnabled(undo);
    return ok;
}
