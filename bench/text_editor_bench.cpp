// The in-place text editor on a 2 KB rich text (paragraphs of bold, italic
// and coloured words, 1000 x 600 object, 100 % zoom in a 1600 x 900 canvas):
// opening it up to its first picture, and one keystroke up to the editor's
// repaint (typing and deleting a letter in turn).
#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "document/MainDoc.h"
#include "editor/InPlaceTextEditor.h"
#include "editor/MainView.h"
#include "model/Frame.h"

#include "QtBenchmarkMain.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

QByteArray TwoKilobyteText()
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil Times New Roman;}}"
                     "{\\colortbl ;\\red255\\green255\\blue255;\\red255\\green200\\blue0;}\\f0\\fs40\\cf1 ";
    for (int paragraph = 0; rtf.size() < 2048; ++paragraph) {
        rtf += "Line " + QByteArray::number(paragraph) + " of the evening news: \\b headline\\b0 , \\i quote\\i0 , "
               "\\cf2 highlight\\cf1  and \\f1 another face\\f0  for the ticker.\\par ";
    }
    return rtf + "}";
}

class Editing
{
public:
    Editing()
    {
        previous_ = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
        Write(settings::kRootFolder, folder_.path() + QLatin1Char('/'));
        doc_ = std::make_unique<CMainDoc>(true);
        auto object = std::make_unique<CFrame>();
        object->rect = CRect{100, 100, 1100, 700};
        object->richText = TwoKilobyteText();
        object_ = object.get();
        doc_->page.AddObject(object);
        doc_->SetSelection(object_);
        view_ = std::make_unique<CMainView>(*doc_, true);
        view_->setAttribute(Qt::WA_DontShowOnScreen);
        view_->resize(1600, 900);
        view_->show();
        view_->SetZoomLevel(0);
        QApplication::processEvents();
    }
    ~Editing()
    {
        view_.reset();
        doc_.reset();
        InstallSettingsStore(std::move(previous_));
    }

    CMainView& View() { return *view_; }
    const CFrame& Object() const { return *object_; }

    // What the operator sees of the editor.
    void PaintEditor()
    {
        QWidget* viewport = view_->TextEditor()->viewport();
        if (screen_.size() != viewport->size())
            screen_ = QImage(viewport->size(), QImage::Format_ARGB32_Premultiplied);
        viewport->render(&screen_);
        benchmark::DoNotOptimize(screen_.constBits());
    }

private:
    QTemporaryDir folder_;
    std::unique_ptr<ISettingsStore> previous_;
    std::unique_ptr<CMainDoc> doc_;
    std::unique_ptr<CMainView> view_;
    CFrame* object_ = nullptr;
    QImage screen_;
};

void BM_TextEditorOpen(benchmark::State& state)
{
    Editing editing;
    for (auto _ : state) {
        editing.View().BeginTextEdit();
        editing.PaintEditor();
        state.PauseTiming();
        editing.View().EndTextEdit(true);
        state.ResumeTiming();
    }
    state.counters["rtf_bytes"] = static_cast<double>(editing.Object().richText.size());
}
BENCHMARK(BM_TextEditorOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TextEditorKeystroke(benchmark::State& state)
{
    Editing editing;
    editing.View().BeginTextEdit();
    CInPlaceTextEditor* editor = editing.View().TextEditor();
    editor->setFocus();
    editing.PaintEditor();
    bool type = true;
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, type ? Qt::Key_X : Qt::Key_Backspace, Qt::NoModifier,
                        type ? QStringLiteral("x") : QString());
        QApplication::sendEvent(editor, &press);
        editing.PaintEditor();
        type = !type;
    }
    editing.View().EndTextEdit(true);
}
BENCHMARK(BM_TextEditorKeystroke)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RunBenchmarksWithQt<QApplication>(argc, argv);
}
