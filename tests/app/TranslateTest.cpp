// Language packs: the keys, reading a packs file, choosing a pack, and
// texts through LoadText and FormatText.
#include "app/MenuResource.h"
#include "app/StringTable.h"
#include "app/Translate.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString WritePacks(const QTemporaryDir& dir, const QByteArray& translations)
{
    const QString path = dir.filePath(QStringLiteral("Translations.xml"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language_pack><original><strings>"
               "<string id=\"10209\">Error</string></strings></original><translations>" +
               translations + "</translations></language_pack>");
    return path;
}

TEST(Translate, KeysOfStringsDialogsControlsAndMenuItems)
{
    EXPECT_EQ(StringKey(10209), 0xC00027E1u);
    EXPECT_EQ(DialogKey(304), 0x81300000u);
    EXPECT_EQ(ControlKey(304, 1010), 0x813003F2u);
    // File is the first popup of the menu bar (counter 1), New its first item.
    bool found = false;
    ForEachMenuItem(kMainMenu, [&](const MenuNode& node, std::uint32_t key) {
        if (node.commandId == 57600) {
            EXPECT_EQ(key, (0x4000u | (128u * 16u & 0x3FFFu) | 1u) << 16 | 57600u);
            found = true;
        }
    });
    EXPECT_TRUE(found);
}

TEST(Translate, PacksAreReadChosenAndLookedUp)
{
    QTemporaryDir dir;
    QByteArray packs =
        "<translation name=\"Deutsch\" id=\"1031\"><resources>"
        "<string id=\"C00027E1\">Fehler: Zu viele Objekte!\\n\\nBitte l\xC3\xB6schen.\\tEnde</string>"
        "<string id=\"81300000\">Objekteigenschaften</string>"
        "<string id=\"C0002847\">Datei %s nicht lesbar</string>"
        "</resources></translation>"
        "<translation name=\"\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9\" id=\"1049\"><resources>"
        "<string id=\"C00027E1\">\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0</string>"
        "<string id=\"C00027DA\">%d %s</string>"  // 10202 asks for one %s: not used
        "</resources></translation>";
    for (int i = 3; i <= 11; ++i)
        packs += "<translation name=\"Pack " + QByteArray::number(i) + "\" id=\"" + QByteArray::number(2000 + i) +
                 "\"/>";
    CTranslate translations;
    ASSERT_TRUE(translations.Load(WritePacks(dir, packs)));
    EXPECT_EQ(translations.PackCount(), 10);  // the eleventh is left out
    EXPECT_EQ(translations.LanguageName(0), QStringLiteral("English"));
    EXPECT_EQ(translations.LanguageName(2), QString::fromUtf8("\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9"));

    translations.Select(1, 0);
    EXPECT_EQ(translations.Text(10209), QString::fromUtf8("Fehler: Zu viele Objekte!\n\nBitte l\xC3\xB6schen.\tEnde"));
    EXPECT_EQ(translations.Resource(DialogKey(304)), QStringLiteral("Objekteigenschaften"));
    EXPECT_EQ(translations.Text(10716), std::nullopt);  // missing: English

    // LoadText and FormatText go through the chosen pack; conversions that
    // differ from the English text's fall back to English.
    SetTextTranslation(&translations);
    EXPECT_TRUE(LoadText(10209).startsWith(QStringLiteral("Fehler")));
    EXPECT_EQ(FormatText(10311, "News"), QStringLiteral("Datei News nicht lesbar"));
    translations.Select(2, 0);
    EXPECT_EQ(FormatText(10202, "News"), BuiltInText(10202).replace(QStringLiteral("%s"), QStringLiteral("News")));
    SetTextTranslation(nullptr);

    struct Case
    {
        int index;
        int userLanguage;
        int chosen;
    };
    const Case cases[] = {{-1, 1049, 2}, {-1, 1031, 1}, {-1, 1036, 0}, {3, 1049, 3}, {11, 0, 0}, {0, 1049, 0}};
    for (const Case& c : cases) {
        translations.Select(c.index, c.userLanguage);
        EXPECT_EQ(translations.Current(), c.chosen) << c.index << " " << c.userLanguage;
    }
    EXPECT_EQ(CTranslate::LanguageIdOfLocale(QLocale(QStringLiteral("ru_RU"))), 1049);
    EXPECT_EQ(CTranslate::LanguageIdOfLocale(QLocale(QStringLiteral("de_LU"))), 1031);
}

TEST(Translate, MissingOrMalformedFilesLeaveEnglish)
{
    QTemporaryDir dir;
    CTranslate translations;
    EXPECT_FALSE(translations.Load(dir.filePath(QStringLiteral("none.xml"))));
    QFile broken(dir.filePath(QStringLiteral("broken.xml")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<language_pack><translations><translation name=\"x\" id=\"1\">");
    broken.close();
    EXPECT_FALSE(translations.Load(broken.fileName()));
    EXPECT_EQ(translations.PackCount(), 0);
    translations.Select(1, 0);
    EXPECT_EQ(translations.Current(), 0);
    EXPECT_EQ(translations.Text(10209), std::nullopt);
}

}  // namespace
