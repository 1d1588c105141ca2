// The first-run wizard below its window: the colour bars for each canvas
// size, the test output on its own page, and what Finish and Cancel store.
#include "DocumentTestSupport.h"

#include "app/SettingsRegister.h"
#include "document/SetupWizard.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {

TEST(SetupWizard, ColourBarsFollowTheCanvasSize)
{
    struct Case
    {
        int width, height;
        int column, top, bottom;                  // the first column's bar
        std::array<int, 4> stripeTops;
        int lastStripeBottom, rightEdge;
    };
    const Case cases[] = {
        {1920, 1080, 228, 32, 524, {556, 679, 802, 925}, 1048, 1856},
        {1280, 720, 148, 32, 344, {376, 454, 532, 610}, 688, 1216},
        {720, 576, 78, 32, 272, {304, 364, 424, 484}, 544, 656},
        {720, 488, 78, 32, 228, {260, 309, 358, 407}, 456, 656},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width * 10000 + c.height);
        CFrameSet page;
        BuildColourBars(page, c.width, c.height);
        FrameList objects;
        page.TakeSnapshot(objects);
        page.ReleaseSnapshot();
        ASSERT_EQ(objects.size(), 40u);
        EXPECT_EQ(objects[0]->rect, (CRect{32, c.top, 32 + c.column, c.bottom}));
        EXPECT_EQ(objects[0]->backgroundColor, 0xFFFFFFFFu);  // opaque white
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(objects[1 + j]->rect.top, c.stripeTops[j]);
            EXPECT_EQ(objects[1 + j]->backgroundColor >> 24, static_cast<uint32_t>(j * 16));
        }
        EXPECT_EQ(objects[4]->rect.bottom, c.lastStripeBottom);
        EXPECT_EQ(objects[39]->rect.right, c.rightEdge);
        EXPECT_EQ(objects[35]->backgroundColor, 0xFF000000u);  // opaque black, the last column
        EXPECT_EQ(objects[25]->backgroundColor & 0xFFFFFF, 0x0000FFu);  // red, the sixth
    }
}

TEST(SetupWizard, TestOutputOnItsOwnPageAndFinishStoresTheChoices)
{
    DocumentFixture f;
    f.AddObject();
    f.doc->SetModifiedFlag(false);
    ASSERT_TRUE(CSetupWizardRun::BeginOnNewPage(*f.doc));
    EXPECT_EQ(f.doc->page.LiveCount(), 0);

    CSetupWizardRun run(*f.doc);
    EXPECT_EQ(run.modeIndex, 0);
    run.modeIndex = 6;  // 720p50
    run.displayAdapter = QStringLiteral("HDMI-2");
    ASSERT_EQ(run.StartTestOutput(), kRenderRunning);
    ASSERT_NE(f.lastEngine, nullptr);
    EXPECT_EQ(f.lastEngine->Params().canvasWidth, 1280);
    EXPECT_EQ(f.lastEngine->Params().displayAdapterName, QStringLiteral("HDMI-2"));
    EXPECT_NE(f.lastEngine->Params().page, &f.doc->page);  // never the document's page
    run.SetFullRange(0);
    EXPECT_EQ(f.lastEngine->Params().fullRange, 0);
    EXPECT_FALSE(f.doc->OutputOn());

    // An output that does not start: its code, nothing left running.
    f.nextStartError = kRenderDisplayFailed;
    EXPECT_EQ(run.StartTestOutput(), kRenderDisplayFailed);
    EXPECT_FALSE(run.TestOutputRunning());
    f.nextStartError = kRenderRunning;

    run.Finish();
    EXPECT_EQ(f.doc->Preferences().mode, 5);
    EXPECT_EQ(f.doc->Preferences().displayAdapter, QStringLiteral("HDMI-2"));
    EXPECT_EQ(f.doc->Preferences().fullHdmiRange, 0);
    EXPECT_EQ(Read(settings::kMode), 5);
    EXPECT_TRUE(f.doc->OutputOn());  // the playout instance's output, with the new settings

    // The first run ends once: Cancel asks for its message.
    Write(settings::kFirstTimeSetup, 1);
    EXPECT_TRUE(CSetupWizardRun::EndFirstRun(true));
    EXPECT_EQ(Read(settings::kFirstTimeSetup), 0);
    EXPECT_FALSE(CSetupWizardRun::EndFirstRun(true));
}

TEST(SetupWizard, AModifiedPageKeptByTheOperatorMeansNoWizard)
{
    DocumentFixture f;
    f.AddObject();
    f.doc->SetModifiedFlag(true);
    f.host.saveAnswer = kSaveAnswerCancel;
    EXPECT_FALSE(CSetupWizardRun::BeginOnNewPage(*f.doc));
    EXPECT_EQ(f.doc->page.LiveCount(), 1);
}

}  // namespace
