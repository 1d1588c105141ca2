#include "app/StringTable.h"
#include "app/TextFormat.h"

#include <gtest/gtest.h>

#include <map>

TEST(TextFormat, ConversionsMatchByArgumentKindAndOrder)
{
    struct Case
    {
        const char* text;
        const char* reference;
        bool match;
    };
    const Case cases[] = {
        // Same arguments: flags, digit widths and precisions are free.
        {"Änderungen an '%s' speichern?", "Save changes to '%s'?", true},
        {"%d", "%02d", true},
        {"%-5d|%+d|% d|%#x|%'d|%05u", "%d%d%d%d%d%d", true},
        {"%.3s", "%s", true},
        {"%c", "%d", true},
        {"%hd %hhd", "%d %d", true},
        {"%e %G %.2f %a", "%f %f %f %f", true},
        {"%ld %lld %zu %td", "%lx %llu %zd %ti", true},
        {"%ls %lc %p", "%ls %c %p", true},
        {"%*d %.*s", "%*d %.*s", true},
        {"100%% %d", "%d%%", true},
        {"no conversion", "", true},
        {"%.d", "%d", true},
        // Different arguments.
        {"%d %s", "%s", false},
        {"%s %d", "%d %s", false},
        {"%s", "%s %d", false},
        {"%d", "%s", false},
        {"%ld", "%d", false},
        {"%lld", "%ld", false},
        {"%f", "%d", false},
        {"%Lf", "%f", false},
        {"%ls", "%s", false},
        {"%p", "%s", false},
        {"%zu", "%tu", false},
        {"%*d", "%d %d", false},
        {"%5d", "%*d", false},
        {"%.*s", "%*s", false},
        {"100%", "100", false},
        // Never formatted, not even against themselves.
        {"%n", "%n", false},
        {"%s%n", "%s", false},
        {"%hhn", "%hhn", false},
        {"%y", "%y", false},
        {"%1$s", "%s", false},
        {"%", "%", false},
        {"tail %5", "tail %5", false},
        {"%l", "%l", false},
        {"%5%", "%5%", false},
        {"%jd", "%jd", false},
        {"%Ld", "%Ld", false},
        {"%lp", "%lp", false},
        {"%1001d", "%d", false},
        {"%.1001f", "%f", false},
        {"%1000d %.1000f", "%d %f", true},
        {"%s", "%n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.reference);
        const QString text = QString::fromUtf8(c.text);
        const QString reference = QString::fromUtf8(c.reference);
        EXPECT_EQ(ConversionsMatch(text, reference), c.match);
        EXPECT_EQ(ConversionsMatch(reference, text), c.match) << "either way round";
    }

    // The formatter stops at a NUL, and so does the check.
    EXPECT_TRUE(ConversionsMatch(QStringLiteral("%s") + QChar(0) + QStringLiteral("%d"), QStringLiteral("%s")));
}

namespace {

class CMapTranslation : public ITextTranslation
{
public:
    explicit CMapTranslation(std::map<int, QString> texts) : texts_(std::move(texts)) {}
    std::optional<QString> Text(int id) const override
    {
        const auto it = texts_.find(id);
        return it != texts_.end() ? std::optional<QString>(it->second) : std::nullopt;
    }

private:
    std::map<int, QString> texts_;
};

// Installs a translation for one test.
class TranslatedTexts : public ::testing::Test
{
protected:
    void Use(const ITextTranslation& translation) { SetTextTranslation(&translation); }
    void TearDown() override { SetTextTranslation(nullptr); }
};

}  // namespace

TEST_F(TranslatedTexts, GoodTranslationsFormatAndBadOnesFallBack)
{
    const CMapTranslation german({
        {10300, QStringLiteral("Leerlauf")},
        {10202, QStringLiteral("Änderungen an '%s' speichern?")},
        {10311, QStringLiteral("%d %s")},                          // one argument too many
        {10315, QStringLiteral("Fehler: Modus %dx%s!\n\n%d")},        // kinds swapped
        {10651, QStringLiteral("Taste %n")},                       // writes through its argument
        {12275, QStringLiteral("Warten bis %02d.%02d.%02d Uhr")},
        {12552, QStringLiteral("Skript [%s] %d/%d %y")},            // unknown conversion
    });
    Use(german);

    EXPECT_EQ(LoadText(10300), QStringLiteral("Leerlauf"));
    EXPECT_EQ(LoadText(10301), QStringLiteral("HDMI output is on")) << "no text of its own: the built-in one";
    EXPECT_EQ(BuiltInText(10300), QStringLiteral("Idle"));

    EXPECT_EQ(FormatText(10202, "Nachrichten"), QStringLiteral("Änderungen an 'Nachrichten' speichern?"));
    EXPECT_EQ(FormatText(12275, 9, 5, 0), QStringLiteral("Warten bis 09.05.00 Uhr"));
    EXPECT_EQ(FormatText(10311, "/show/News.tavrel"), QStringLiteral("Error: File open failed!\n\n/show/News.tavrel"));
    EXPECT_EQ(FormatText(10315, 1920, 1080, "/a.tavrel"),
              QStringLiteral("Error: This file was created for 1920x1080 mode!\n\n/a.tavrel"));
    EXPECT_EQ(FormatText(10651, 4), QStringLiteral("Button #4"));
    EXPECT_EQ(FormatText(12552, "Morning", 2, 7), QStringLiteral("script [Morning] playing, step: 2 of 7"));
    EXPECT_EQ(FormatText(12262), QStringLiteral("Play all objects")) << "without a translation of its own";

    SetTextTranslation(nullptr);
    EXPECT_EQ(LoadText(10300), QStringLiteral("Idle"));
    EXPECT_EQ(FormatText(10202, "News"), QStringLiteral("Save changes to 'News'?"));
}

TEST(StringTable, TextsOfTheWindowAndItsDialogs)
{
    // A few of the texts the windows look up, exactly as the language packs
    // key them.
    EXPECT_EQ(LoadText(57344), QStringLiteral("Tavrel"));
    EXPECT_EQ(LoadText(57345), QStringLiteral("Ready"));
    EXPECT_EQ(LoadText(10209),
              QStringLiteral("Error: Too many objects!\n\nPlease delete some objects if you want to add more."));
    EXPECT_EQ(FormatText(10225, "Morning"), QStringLiteral("Start conditions for script Morning"));
    // The action names of the step dialog (12298 + type) and of the Add menu
    // (12330 + type) are the same words.
    for (int type = 2; type <= 7; ++type)
        EXPECT_EQ(LoadText(12298 + type), LoadText(12330 + type)) << type;
    for (int id = 10640; id <= 10644; ++id)
        EXPECT_FALSE(LoadText(id).isEmpty()) << id;
}
