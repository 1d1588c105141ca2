// Document operations while the output's render thread keeps taking
// snapshots and presenting the playing objects (also run under the thread
// sanitizer).
#include "DocumentTestSupport.h"

#include "document/CommandIds.h"

#include <gtest/gtest.h>

using namespace doctest;

TEST(DocumentThreads, PageOperationsMeetARunningOutput)
{
    DocumentFixture f(false, true);
    const QString page = f.WritePageFile(QStringLiteral("Show.tavrel"),
                                         {Recipe().Group(QStringLiteral("A")).Hotkey(2), Recipe().Left(100), Recipe().Locked()});
    f.Tick();
    f.doc->OnCommand(cmd::kHdmiOutput);
    ASSERT_NE(f.Engine(), nullptr);
    f.doc->script.Append({CFrameScriptItem::kAddPage, page, 0});
    f.doc->script.Append({CFrameScriptItem::kPlay, {}, 0});
    f.doc->script.Append({CFrameScriptItem::kDelete, QStringLiteral("A"), 0});
    f.doc->script.Append({CFrameScriptItem::kWaitPeriod, {}, 0});
    f.doc->script.loop = 1;

    for (int round = 0; round < 20; ++round) {
        // Let the render thread present at least once per round, so that
        // every operation meets it (a liveness wait, not a timing check).
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (f.Engine()->Frames() <= round && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(f.doc->PageMerge(page, round % 2, nullptr));
        f.doc->OnCommand(cmd::kPlayAll);
        f.doc->HotkeyPressed(2);
        CFrame* first = f.Live().front();
        f.doc->SetSelection(first);
        f.doc->OnCommand(cmd::kPauseObject);
        f.doc->RecordUndoStep(ObjectDeleted, *first, 1);
        f.doc->page.RemoveObject(first);
        f.doc->UndoObjectEdit(1);
        f.doc->UndoObjectEdit(0);
        f.doc->ScriptStart();
        f.Tick();  // a script tick: add, play, delete, wait, and round again
        f.doc->ScriptStop();
        f.doc->RefreshOverlay(1);
        f.doc->OnCommand(cmd::kStopAll);
        if (round % 5 == 4)
            f.doc->OnNewDocument();
    }
    EXPECT_GE(f.Engine()->Frames(), 20);
    f.doc->OnCommand(cmd::kHdmiOutput);
    EXPECT_EQ(f.doc->page.outputActive.load(), 0);
    EXPECT_FALSE(f.doc->OutputOn());
}

TEST(DocumentThreads, OutputFailingOnItsThreadIsRemovedByTheMonitor)
{
    DocumentFixture f(false, true);
    f.Tick();
    f.AddObject();
    f.doc->OnCommand(cmd::kHdmiOutput);
    f.doc->OnCommand(cmd::kPlayAll);
    std::thread failing([engine = f.Engine()] { engine->Fail(kRenderDeviceLost); });
    failing.join();
    f.Tick();
    EXPECT_FALSE(f.doc->OutputOn());
    EXPECT_EQ(f.host.MessageIds(), std::vector<int>{10325});
    EXPECT_EQ(f.Live()[0]->playing.load(), 0);
}
