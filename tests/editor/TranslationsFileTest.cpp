// The shipped language packs: every text of the English resources (string
// table, menus, dialogs) has its translation in each pack, and translated
// texts ask for the same printf arguments as the English ones.
// TAVREL_DUMP_ENGLISH=<file> writes the English texts by key instead, for
// translators.
#include "EditorTestSupport.h"

#include "app/MenuResource.h"
#include "app/TextFormat.h"
#include "app/Translate.h"
#include "document/PreferencesEditing.h"
#include "editor/AboutBox.h"
#include "editor/DialogTranslation.h"
#include "editor/DlgAutomationEditor.h"
#include "editor/DlgFrameProps.h"
#include "editor/DlgParaFmt.h"
#include "editor/DlgPreferences.h"
#include "editor/DlgScriptEditor.h"
#include "editor/DlgScheduleEntry.h"
#include "setup/FirstSetupWizard.h"

#include <QWizardPage>

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <map>

namespace {

using edittest::EditorFixture;

class ShippedPacks : public ::testing::Test, public EditorFixture
{
protected:
    // Every English text a pack may replace, by key.
    std::map<std::uint32_t, QString> EnglishTexts()
    {
        std::map<std::uint32_t, QString> texts;
        for (const int id : BuiltInTextIds())
            texts[StringKey(id)] = BuiltInText(id);
        for (const int menuId : {kMainMenu, kEditingMenu, kObjectMenu, kCanvasMenu, kPageFileMenu, kScriptFileMenu}) {
            ForEachMenuItem(menuId, [&texts](const MenuNode& node, std::uint32_t key) {
                if (!node.text.isEmpty())
                    texts[key] = node.text;
            });
        }
        Start();
        Frame().Registry().Trigger(32815);
        PreferencesDialogState playout = BuildPreferencesState(Doc());
        playout.editMode = false;
        playout.canChangeMode = true;
        PreferencesDialogState locked = playout;
        locked.canChangeMode = false;
        CAboutBox about(nullptr);
        CDlgParaFmt paragraph(ParagraphFields{}, false, nullptr);
        CDlgFrameProps properties(Doc(), *Doc().Selection(), nullptr);
        CDlgPreferences preferences(playout, {}, nullptr);
        CDlgPreferences lockedPreferences(locked, {}, nullptr);
        CDlgAutomationEditor automation(CFrameScriptScheduleArray(), {}, nullptr);
        CDlgScheduleEntry scheduleEntry(CFrameScriptSchedule(), nullptr);
        CFrameScript script;
        CDlgScriptEditor scriptEditor(script, {}, {}, nullptr);
        CSetupWizardRun run(Doc());
        CFirstSetupWizard wizard(run, {}, nullptr);
        std::vector<QWidget*> dialogs{&about, &paragraph, &properties, &preferences, &lockedPreferences, &automation,
                                      &scheduleEntry, &scriptEditor};
        for (const int page : wizard.pageIds())
            dialogs.push_back(wizard.page(page));
        for (QWidget* dialog : dialogs) {
            for (const auto& [key, text] : DialogTexts(dialog))
                texts[key] = text;
        }
        return texts;
    }
    static QString Escaped(QString text)
    {
        return text.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    }
};

TEST_F(ShippedPacks, EveryTextIsTranslatedWithTheSameArguments)
{
    const std::map<std::uint32_t, QString> english = EnglishTexts();
    ASSERT_GT(english.size(), 400u);
    if (const QString dump = qEnvironmentVariable("TAVREL_DUMP_ENGLISH"); !dump.isEmpty()) {
        QFile file(dump);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text));
        QTextStream out(&file);
        for (const auto& [key, text] : english)
            out << QString::number(key, 16).toUpper() << '\t' << Escaped(text) << '\n';
        GTEST_SKIP() << "English texts written to " << dump.toStdString();
    }

    CTranslate shipped;
    ASSERT_TRUE(shipped.Load(QDir(QStringLiteral(TAVREL_FIXTURES_DIR)).filePath(
        QStringLiteral("../../resources/Translations.xml"))));
    ASSERT_EQ(shipped.PackCount(), 2);
    EXPECT_EQ(shipped.Packs()[0].languageId, 1031);
    EXPECT_EQ(shipped.Packs()[1].languageId, 1049);
    for (const CTranslation& pack : shipped.Packs()) {
        int missing = 0;
        for (const auto& [key, text] : english) {
            const auto found = pack.resources.find(key);
            if (found == pack.resources.end() || (found->second.trimmed().isEmpty() && !text.trimmed().isEmpty())) {
                if (++missing <= 20)
                    ADD_FAILURE() << pack.name.toStdString() << ": no text for " << std::hex << key << " \""
                                  << text.toStdString() << "\"";
                continue;
            }
            // Only texts that are formatted have arguments to keep ("%H:%M:%S"
            // in a help text is a clock format, shown as it is).
            const bool formatted = (key & 0xC0000000u) == 0xC0000000u && ConversionsMatch(text, text);
            if (formatted && !ConversionsMatch(found->second, text))
                ADD_FAILURE() << pack.name.toStdString() << ": " << std::hex << key << " asks for other arguments: \""
                              << found->second.toStdString() << "\"";
        }
        EXPECT_EQ(missing, 0) << pack.name.toStdString();
    }
}

}  // namespace
