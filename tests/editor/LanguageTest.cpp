// Switching the language: the menu bar and the property grid take the
// pack's texts at once, and a dialog opened afterwards is translated.
#include "EditorTestSupport.h"

#include "app/MenuResource.h"
#include "app/Translate.h"
#include "editor/AboutBox.h"
#include "editor/PropertiesView.h"
#include "editor/PropertyItemModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using edittest::EditorFixture;
using edittest::MenuAction;

class Language : public ::testing::Test, public EditorFixture
{
protected:
    Language()
    {
        const QString path = dir_.filePath(QStringLiteral("Translations.xml"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        // "File" is the menu bar's first popup; "Lock" is property 38 (string
        // 10837); the about box is dialog 302.
        const QByteArray fileMenu = QByteArray::number(MenuItemKey(kMainMenu, 1, 0), 16);
        file.write("<language_pack><translations><translation name=\"Deutsch\" id=\"1031\"><resources>"
                   "<string id=\"" + fileMenu + "\">&amp;Datei</string>"
                   "<string id=\"C0002A55\">Sperre</string>"
                   "<string id=\"812E0000\">\xC3\x9C" "ber Tavrel</string>"
                   "</resources></translation></translations></language_pack>");
        file.close();
        Translations().Load(path);
        SetTextTranslation(&Translations());
    }
    ~Language() override
    {
        app.reset();
        Translations().Load(QString());
        SetTextTranslation(nullptr);
    }

private:
    QTemporaryDir dir_;
};

TEST_F(Language, TheMenuAndTheGridChangeAtOnceAndDialogsOpenTranslated)
{
    Start();
    Frame().Registry().Trigger(32815);  // an object for the grid
    ASSERT_EQ(Frame().menuBar()->actions().value(0)->text(), QStringLiteral("&File"));
    auto* model = static_cast<CPropertyItemModel*>(
        static_cast<CPropertiesView*>(Frame().Panes().properties)->Grid()->model());
    EXPECT_EQ(model->ValueIndex(38).siblingAtColumn(0).data().toString(), QStringLiteral("Lock"));

    QAction* german = MenuAction(Frame().menuBar(), QStringLiteral("Settings|Language|Deutsch"));
    ASSERT_NE(german, nullptr);
    german->trigger();
    EXPECT_EQ(Frame().menuBar()->actions().value(0)->text(), QStringLiteral("&Datei"));
    EXPECT_EQ(model->ValueIndex(38).siblingAtColumn(0).data().toString(), QStringLiteral("Sperre"));
    EXPECT_EQ(Read(settings::kLanguageId), 1);
    Frame().RefreshCommandStates();
    EXPECT_TRUE(german->isChecked());

    CAboutBox about(&Frame());
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("\xC3\x9C" "ber Tavrel"));

    // English again.
    Frame().Registry().Trigger(32900);
    EXPECT_EQ(Frame().menuBar()->actions().value(0)->text(), QStringLiteral("&File"));
}

}  // namespace
