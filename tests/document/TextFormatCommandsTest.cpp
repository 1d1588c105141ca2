// The text formatting commands on a real rich text control, with the
// operator's dialog answers scripted.
#include "document/TextFormatCommands.h"

#include "content/RichEditExCtrl.h"
#include "document/CommandIds.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using namespace cmd;

constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kWhite = 0xFFFFFF;

// Answers the dialogs from queues (empty queue: Cancel) and records what
// they were opened with.
class ScriptedDialogs : public ITextFormatDialogs
{
public:
    std::optional<ColorRef> ChooseColor(ColorRef initial) override
    {
        colorInitials.push_back(initial);
        return Take(colors);
    }
    std::optional<CCharFormat> ChooseFont(const CCharFormat& initial) override
    {
        fontInitial = initial;
        return Take(fonts);
    }
    std::optional<ParagraphFields> EditParagraph(const ParagraphFields& fields, bool singleLine) override
    {
        paragraphShown = fields;
        paragraphSingleLine = singleLine;
        return Take(paragraphs);
    }
    void ShowBusy(bool busy) override { busyNow = busy; }

    std::deque<std::optional<ColorRef>> colors;
    std::deque<std::optional<CCharFormat>> fonts;
    std::deque<std::optional<ParagraphFields>> paragraphs;
    std::vector<ColorRef> colorInitials;
    CCharFormat fontInitial;
    ParagraphFields paragraphShown;
    bool paragraphSingleLine = false;
    bool busyNow = false;

private:
    template <typename T>
    static std::optional<T> Take(std::deque<std::optional<T>>& queue)
    {
        if (queue.empty())
            return std::nullopt;
        std::optional<T> answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

// "Hello brave world" in 28-point white Arial, at 15 twips per pixel.
class TextFormat : public ::testing::Test
{
protected:
    explicit TextFormat(CRichEditExCtrl::Kind kind = CRichEditExCtrl::kMultiLine, bool reverse = false)
        : engine_(kind, 1252, 96.0), commands_(engine_, kind == CRichEditExCtrl::kSingleLine, reverse)
    {
        const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green255\\blue255;}"
                               "\\f0\\fs56\\cf1 Hello \\b brave\\b0  world\\par}";
        EXPECT_TRUE(engine_.StreamIn(rtf.constData(), rtf.size()));
    }

    void Select(const QString& text)
    {
        const int at = engine_.FindText(text);
        ASSERT_GE(at, 0) << text.toStdString();
        engine_.SetSelection(at, at + static_cast<int>(text.size()));
        commands_.SelectionChanged();
    }
    CCharFormat FormatOf(const QString& text)
    {
        Select(text);
        return engine_.GetSelectionCharFormat();
    }
    bool Run(int id) { return commands_.Run(id, dialogs_); }

    CRichEditExCtrl engine_;
    CTextFormatCommands commands_;
    ScriptedDialogs dialogs_;
};

TEST_F(TextFormat, EffectsSetMixedSelectionsAndFlipUniformOnes)
{
    struct Case
    {
        int id;
        uint32_t bit;
    };
    for (const Case& c : {Case{kBold, kCfeBold}, Case{kItalic, kCfeItalic}, Case{kUnderline, kCfeUnderline}}) {
        SCOPED_TRACE(c.id);
        // "o brave" is bold only in part, so the first command makes all of
        // it bold (only "brave" is, for bold).
        Select(QStringLiteral("o brave"));
        EXPECT_FALSE(commands_.State(c.id).checked);
        EXPECT_TRUE(commands_.State(c.id).enabled);
        EXPECT_TRUE(Run(c.id));
        EXPECT_TRUE(commands_.State(c.id).checked);
        EXPECT_TRUE(FormatOf(QStringLiteral("o brave")).effects & c.bit);
        EXPECT_TRUE(FormatOf(QStringLiteral("o brave")).mask & c.bit);
        // The second makes all of it plain; the text around keeps its own.
        Run(c.id);
        const CCharFormat after = FormatOf(QStringLiteral("o brave"));
        EXPECT_TRUE(after.mask & c.bit);
        EXPECT_FALSE(after.effects & c.bit);
        EXPECT_FALSE(FormatOf(QStringLiteral("Hell")).effects & c.bit);
        EXPECT_FALSE(dialogs_.busyNow);
    }
}

TEST_F(TextFormat, SuperscriptStepsByAFifthOfTheSizeAndNormalReturnsToTheBaseline)
{
    Select(QStringLiteral("world"));
    Run(kSuperscript);
    Run(kSuperscript);
    EXPECT_EQ(FormatOf(QStringLiteral("world")).offset, 224);  // 28 pt = 560 twips; 2 x 112
    Run(kSubscript);
    EXPECT_EQ(FormatOf(QStringLiteral("world")).offset, 112);
    Run(kNormalScript);
    EXPECT_EQ(FormatOf(QStringLiteral("world")).offset, 0);

    // Mixed sizes and offsets step 100 twips from the baseline.
    Select(QStringLiteral("brave"));
    ASSERT_TRUE(commands_.SetSizePoints(10, dialogs_));
    Select(QStringLiteral("o brave"));
    Run(kSubscript);
    EXPECT_EQ(FormatOf(QStringLiteral("o brave")).offset, -100);
    // The offset is what the page stores.
    EXPECT_TRUE(engine_.StreamOut().contains("\\dn10"));
}

TEST_F(TextFormat, ColoursComeFromTheDialogAndBackgroundTogglesWithoutIt)
{
    Select(QStringLiteral("brave"));
    dialogs_.colors = {kRed};
    EXPECT_TRUE(Run(kTextColor));
    ASSERT_EQ(dialogs_.colorInitials.size(), 1u);
    EXPECT_EQ(dialogs_.colorInitials[0], kWhite);
    int start = 0;
    int end = 0;
    engine_.GetSelection(start, end);
    EXPECT_EQ(start, end);  // collapsed to the end
    EXPECT_EQ(end, engine_.FindText(QStringLiteral("brave")) + 5);
    const CCharFormat red = FormatOf(QStringLiteral("brave"));
    EXPECT_EQ(red.textColor, kRed);
    EXPECT_FALSE(red.effects & kCfeAutoColor);

    // Cancel changes nothing.
    Select(QStringLiteral("Hello"));
    EXPECT_FALSE(Run(kTextColor));
    EXPECT_EQ(FormatOf(QStringLiteral("Hello")).textColor, kWhite);

    // Background: no selection, no command.
    engine_.SetSelection(2, 2);
    commands_.SelectionChanged();
    EXPECT_FALSE(commands_.State(kBackColor).enabled);
    EXPECT_FALSE(Run(kBackColor));
    // None yet: the dialog gives one.
    Select(QStringLiteral("world"));
    EXPECT_TRUE(commands_.State(kBackColor).enabled);
    EXPECT_FALSE(commands_.State(kBackColor).checked);
    dialogs_.colors = {kRed};
    EXPECT_TRUE(Run(kBackColor));
    CCharFormat back = FormatOf(QStringLiteral("world"));
    EXPECT_EQ(back.backColor, kRed);
    EXPECT_FALSE(back.effects & kCfeAutoBackColor);
    EXPECT_TRUE(commands_.State(kBackColor).checked);
    // Having one: the command removes it without asking.
    const size_t asked = dialogs_.colorInitials.size();
    EXPECT_TRUE(Run(kBackColor));
    EXPECT_EQ(dialogs_.colorInitials.size(), asked);
    EXPECT_TRUE(FormatOf(QStringLiteral("world")).effects & kCfeAutoBackColor);
}

TEST_F(TextFormat, FontDialogChoiceAppliesByItsMaskAndBlackKeepsTheColour)
{
    Select(QStringLiteral("world"));
    CCharFormat choice;
    choice.mask = kCfmFace | kCfmSize | kCfmColor | kCfmItalic;
    choice.face = QStringLiteral("Courier New");
    choice.height = 720;
    choice.textColor = 0;  // black
    choice.effects = kCfeItalic;
    dialogs_.fonts = {choice, std::nullopt};
    EXPECT_TRUE(Run(kFontProperties));
    EXPECT_EQ(dialogs_.fontInitial.face, QStringLiteral("Arial"));
    EXPECT_EQ(dialogs_.fontInitial.height, 560);
    CCharFormat after = FormatOf(QStringLiteral("world"));
    EXPECT_EQ(after.face, QStringLiteral("Courier New"));
    EXPECT_EQ(after.height, 720);
    EXPECT_TRUE(after.effects & kCfeItalic);
    EXPECT_EQ(after.textColor, kWhite);
    // Cancel.
    EXPECT_FALSE(Run(kFontProperties));
    EXPECT_EQ(FormatOf(QStringLiteral("world")).face, QStringLiteral("Courier New"));
    // Another colour is taken.
    choice.mask = kCfmColor;
    choice.textColor = kRed;
    choice.effects = 0;
    dialogs_.fonts = {choice};
    Select(QStringLiteral("world"));
    Run(kFontProperties);
    EXPECT_EQ(FormatOf(QStringLiteral("world")).textColor, kRed);
}

TEST_F(TextFormat, FontBoxesShowUniformValuesOnceAndEmptyForMixedOnes)
{
    Select(QStringLiteral("brave"));
    EXPECT_EQ(commands_.TakeFaceForBox(), QStringLiteral("Arial"));
    EXPECT_EQ(commands_.TakeSizeForBox(), 28);
    EXPECT_EQ(commands_.TakeFaceForBox(), std::nullopt);  // nothing new
    EXPECT_TRUE(commands_.SetFace(QStringLiteral("Liberation Serif"), dialogs_));
    EXPECT_FALSE(commands_.SetFace(QString(), dialogs_));
    EXPECT_FALSE(commands_.SetSizePoints(0, dialogs_));
    Select(QStringLiteral("o brave"));
    EXPECT_EQ(commands_.TakeFaceForBox(), QString());
    EXPECT_EQ(commands_.TakeSizeForBox(), 28);
    // A face of more than 31 characters is cut.
    Select(QStringLiteral("world"));
    commands_.SetFace(QString(40, QChar(u'F')), dialogs_);
    EXPECT_EQ(FormatOf(QStringLiteral("world")).face.size(), CCharFormat::kMaxFaceLength);
}

TEST_F(TextFormat, FormatOnAnEmptySelectionGoesToTheTextTypedNext)
{
    const int at = engine_.FindText(QStringLiteral(" world"));
    engine_.SetSelection(at, at);
    commands_.SelectionChanged();
    Run(kUnderline);
    engine_.ReplaceSelection(QStringLiteral("X"));
    EXPECT_TRUE(FormatOf(QStringLiteral("X")).effects & kCfeUnderline);
    EXPECT_FALSE(FormatOf(QStringLiteral("world")).effects & kCfeUnderline);
}

TEST_F(TextFormat, AlignmentAndItsChecksFollowTheParagraph)
{
    Select(QStringLiteral("brave"));
    EXPECT_TRUE(commands_.State(kParagraphLeft).checked);
    EXPECT_TRUE(Run(kParagraphCenter));
    EXPECT_TRUE(commands_.State(kParagraphCenter).checked);
    EXPECT_FALSE(commands_.State(kParagraphLeft).checked);
    EXPECT_EQ(engine_.GetSelectionParaFormat().alignment, kAlignCenter);
    Run(kParagraphRight);
    EXPECT_EQ(engine_.GetSelectionParaFormat().alignment, kAlignRight);
}

TEST(TextFormatSingleLine, AlignmentFollowsReverseAndTheParagraphDialogOffersLess)
{
    for (const bool reverse : {false, true}) {
        SCOPED_TRACE(reverse);
        CRichEditExCtrl engine(CRichEditExCtrl::kSingleLine, 1252, 96.0);
        engine.ReplaceSelection(QStringLiteral("ticker text"));
        engine.SetAlignment(reverse);
        CTextFormatCommands commands(engine, true, reverse);
        ScriptedDialogs dialogs;
        for (const int id : {kParagraphLeft, kParagraphCenter, kParagraphRight}) {
            EXPECT_FALSE(commands.State(id).enabled);
            EXPECT_EQ(commands.State(id).checked, id == (reverse ? kParagraphRight : kParagraphLeft));
        }
        commands.Run(kParagraphCenter, dialogs);
        EXPECT_EQ(engine.GetSelectionParaFormat().alignment, reverse ? kAlignRight : kAlignLeft);

        ParagraphFields fields;
        fields.alignment = 2;
        fields.right = 10;
        fields.lineSpacing = 2;
        fields.top = 4;
        dialogs.paragraphs = {fields};
        EXPECT_TRUE(commands.Run(kParagraphProperties, dialogs));
        EXPECT_TRUE(dialogs.paragraphSingleLine);
        const CParaFormat after = engine.GetSelectionParaFormat();
        EXPECT_EQ(after.alignment, reverse ? kAlignRight : kAlignLeft);
        EXPECT_EQ(after.rightIndent, 0);
        EXPECT_EQ(after.spaceBefore, 60);
    }
}

TEST_F(TextFormat, ParagraphDialogShowsPixelsAndWritesTwips)
{
    ParagraphFields fields;
    fields.alignment = 2;    // centre
    fields.lineSpacing = 1;  // one and a half
    fields.left = 20;
    fields.firstLine = -8;   // a hanging first line
    fields.right = 5;
    fields.bottom = 3;
    dialogs_.paragraphs = {fields, std::nullopt};
    Select(QStringLiteral("brave"));
    EXPECT_TRUE(Run(kParagraphProperties));
    const CParaFormat after = engine_.GetSelectionParaFormat();
    EXPECT_EQ(after.alignment, kAlignCenter);
    EXPECT_EQ(after.lineSpacingRule, kSpacingMultiple);
    EXPECT_EQ(after.lineSpacing, 30);
    EXPECT_EQ(after.offset, 120);        // -first x 15
    EXPECT_EQ(after.startIndent, 180);   // (first + left) x 15
    EXPECT_EQ(after.rightIndent, 75);
    EXPECT_EQ(after.spaceAfter, 45);
    EXPECT_EQ(after.spaceBefore, 0);
    // Opening again shows what was set; Cancel keeps it.
    EXPECT_FALSE(Run(kParagraphProperties));
    ParagraphFields shown = fields;
    shown.top = 0;
    EXPECT_EQ(dialogs_.paragraphShown, shown);
    EXPECT_EQ(engine_.GetSelectionParaFormat(), after);
}

TEST(ParagraphFields, ConversionsFromAndToTwips)
{
    struct Case
    {
        const char* what;
        CParaFormat format;
        ParagraphFields fields;
    };
    CParaFormat mixed;  // only the alignment is common
    mixed.mask = kPfmAlignment;
    mixed.alignment = kAlignRight;
    CParaFormat rounding;
    rounding.mask = kPfmOffset | kPfmStartIndent | kPfmSpaceBefore;
    rounding.offset = -22;      // first line 1.47 px: 1
    rounding.startIndent = 30;  // left (30 - 22) / 15 = 0.53 px: 1
    rounding.spaceBefore = 7;   // 0.47 px: 0
    CParaFormat exact;          // a spacing in twips has no entry
    exact.mask = kPfmLineSpacing;
    exact.lineSpacingRule = kSpacingExactly;
    exact.lineSpacing = 300;
    CParaFormat wide;           // 60 twentieths: not in the list
    wide.mask = kPfmLineSpacing | kPfmAlignment;
    wide.lineSpacingRule = kSpacingMultiple;
    wide.lineSpacing = 60;
    wide.alignment = kAlignJustify;
    ParagraphFields alignedRight;
    alignedRight.alignment = 1;
    ParagraphFields rounded;
    rounded.left = 1;
    rounded.firstLine = 1;
    rounded.top = 0;
    const Case cases[] = {
        {"mixed", mixed, alignedRight},
        {"rounding", rounding, rounded},
        {"exact", exact, {}},
        {"wide", wide, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParagraphFieldsOf(c.format, 15.0, 15.0), c.fields) << c.what;

    // Writing: an empty dialog changes nothing; one margin brings the other
    // as 0.
    EXPECT_EQ(ParaFormatOfFields({}, 15.0, 15.0).mask, 0u);
    ParagraphFields leftOnlyFields;
    leftOnlyFields.left = 10;
    const CParaFormat leftOnly = ParaFormatOfFields(leftOnlyFields, 15.0, 15.0);
    EXPECT_EQ(leftOnly.mask, kPfmStartIndent | kPfmOffset);
    EXPECT_EQ(leftOnly.startIndent, 150);
    EXPECT_EQ(leftOnly.offset, 0);
    ParagraphFields spacingFields;
    spacingFields.lineSpacing = 2;
    spacingFields.top = 2;
    const CParaFormat spacing = ParaFormatOfFields(spacingFields, 15.0, 12.5);
    EXPECT_EQ(spacing.lineSpacing, 40);
    EXPECT_EQ(spacing.spaceBefore, 25);
}

}  // namespace
