// The operator edits and undoes text objects while the renderer's threads
// run: every edit stops the object first, and the stop must hand the object
// back only once neither the render thread nor the text thread uses it.
// Runs under the thread and address sanitizers too.
#include "RenderFixture.h"

#include "app/MemorySettingsStore.h"
#include "content/FramePlayer.h"
#include "content/FramePreview.h"
#include "content/PagePlayback.h"
#include "content/RichEditTextRenderer.h"
#include "model/FrameUndo.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

using namespace renderfixture;

namespace {

QByteArray Rtf(const QStringList& paragraphs)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red255\\green255\\blue255;}"
                     "\\pard\\cf1\\f0\\fs40 ";
    for (const QString& paragraph : paragraphs)
        rtf += paragraph.toLatin1() + "\\par ";
    return rtf + "}";
}

// A long roll keeps the text thread in one layout for a while.
QByteArray Credits(int lines, const char* role)
{
    QStringList paragraphs;
    for (int i = 0; i < lines; ++i)
        paragraphs << QStringLiteral("Line %1 of the credits: %2").arg(i).arg(QLatin1String(role));
    return Rtf(paragraphs);
}

class EditOnAirThreads : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous_ = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
        ASSERT_TRUE(files_.isValid());
    }
    void TearDown() override { InstallSettingsStore(std::move(previous_)); }

    QString Write(const char* name, const QByteArray& bytes)
    {
        const QString path = files_.filePath(QLatin1String(name));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        return path;
    }

    CFrame* AddText(int movement, const CRect& rect)
    {
        auto object = std::make_unique<CFrame>();
        object->rect = rect;
        object->movement = movement;
        object->speed = kSpeedFast;
        object->loop = 1;
        object->backgroundColor = 0;
        object->framePeriod = VideoModeByName(QStringLiteral("720p50"))->framePeriodUs;
        CFrame* added = object.get();
        Add(page_, std::move(object));
        return added;
    }

    CFrameSet page_;
    QTemporaryDir files_;
    std::unique_ptr<ISettingsStore> previous_;
};

TEST_F(EditOnAirThreads, EditAndUndoPlayingTextObjects)
{
    const QString news[2] = {Write("news1.txt", QByteArray("Markets close higher as the storm moves east. ").repeated(8)),
                             Write("news2.txt", QByteArray("Trains run again on the coast line. ").repeated(12))};
    const QString rows[2] = {Write("rows1.csv", "Name;Score\nTom;5\nAnn;7\nBob;9\n"),
                             Write("rows2.csv", "Name;Score\nEve;1\nMax;3\n")};
    const QByteArray credits[2] = {Credits(160, "camera"), Credits(120, "sound and light")};

    CFrame* crawl = AddText(kMovementScroll, CRect{0, 600, 1280, 660});
    crawl->textSource = kSourceTextFile;
    crawl->fileName = news[0];
    crawl->richText = Rtf({QStringLiteral("%1%")});
    CFrame* roll = AddText(kMovementRoll, CRect{200, 0, 1080, 500});
    roll->richText = credits[0];
    CFrame* table = AddText(kMovementFixed, CRect{40, 520, 440, 580});
    table->textSource = kSourceCsvFile;
    table->fileName = rows[0];
    table->firstLineIsHeader = 1;
    table->richText = Rtf({QStringLiteral("%Name%: %Score%")});
    table->showIndefinitely = 0;
    table->showFor = 60;
    table->repeat = 1;

    auto render = OffscreenRender(page_);
    ASSERT_EQ(render->renderError.load(), 0);
    ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 1; }));
    CPagePlayback(page_).PlayAllObjects();

    CFrameUndo undo;
    CPageUndo pageUndo(page_, undo);
    CRichEditTextRenderer editor;
    // Waits until the text thread has laid out text for the object again,
    // so that the next stop is likely to find it at work.
    auto laidOut = [](CFrame* object) {
        const int before = object->chunksRendered.load();
        WaitFor([&] { return !object->playing.load() || object->chunksRendered.load() > before; });
    };
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    int round = 0;
    for (; round < 24 || (round < 400 && std::chrono::steady_clock::now() < until); ++round) {
        const int variant = (round / 3) % 2;
        CFrame* edited = nullptr;
        switch (round % 3) {
        case 0:
            pageUndo.RecordUndoStep(PropertiesChanged, *crawl, 1);
            crawl->StopOutput();
            crawl->fileName = news[variant];
            edited = crawl;
            break;
        case 1:
            pageUndo.RecordUndoStep(TextEdited, *roll, 1);
            roll->StopOutput();
            roll->richText = credits[variant];
            edited = roll;
            break;
        default:
            pageUndo.RecordUndoStep(ObjectMovedOrResized, *table, 1);
            table->StopOutput();
            table->rect.Offset(variant ? 8 : -8, 0);
            table->fileName = rows[variant];
            edited = table;
            break;
        }
        // The editor's picture reads the source on this thread.
        edited->InvalidatePreview();
        CFramePreview(*edited).GetTextPreview(editor);
        ASSERT_EQ(CFramePlayer(*edited).Play(), 1);
        laidOut(edited);
        if (round % 2 == 1) {
            const CPageUndo::Result undone = pageUndo.ApplyUndoStep(1);
            ASSERT_TRUE(undone.applied);
            ASSERT_NE(undone.object, nullptr);
            CFramePlayer(*undone.object).Play();
            laidOut(undone.object);
        }
    }
    CPagePlayback(page_).StopAllObjects();
    EXPECT_GT(render->FramesPresented(), 0);
    render.reset();
    for (CFrame* object : {crawl, roll, table}) {
        EXPECT_EQ(object->playing.load(), 0);
        EXPECT_EQ(object->textTexture, nullptr);
    }
    RecordProperty("rounds", round);
}

}  // namespace
