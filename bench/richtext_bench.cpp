// Rich text: loading and laying out object text, reading and writing large
// RTF documents, and laying out one chunk of rolling text.
#include "content/RichEditExCtrl.h"

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kTwips = 15;  // per pixel at 96 dots per inch

QByteArray Header()
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
           "{\\f1\\fswiss\\fcharset0 Times New Roman;}}\r\n"
           "{\\colortbl ;\\red255\\green255\\blue255;\\red255\\green204\\blue0;}\r\n\\viewkind4\\uc1\\pard\\cf1\\fs56 ";
}

// An RTF document of about the given size: paragraphs of 28 point text with
// bold, italic, colour and font changes and some text outside ASCII.
QByteArray Document(int bytes)
{
    QByteArray rtf = Header();
    int paragraph = 0;
    while (rtf.size() < bytes - 200) {
        rtf += (paragraph % 3 == 0) ? "\\pard\\qc " : (paragraph % 3 == 1) ? "\\pard\\ql\\li300 " : "\\pard\\qr ";
        rtf += "Breaking news \\b number " + QByteArray::number(paragraph) +
               "\\b0 : the quick brown fox \\i jumps\\i0  over the \\cf2 lazy dog\\cf1 , "
               "\\f1 caf\\'e9 \\u1044?\\u1072?\\f0  and more words to fill a line or two.\\par\r\n";
        ++paragraph;
    }
    return rtf + "}\r\n";
}

// Two documents of one size that differ, so that every load reads (the
// control keeps a document that is loaded again unchanged).
struct TwoDocuments
{
    explicit TwoDocuments(int bytes) : first(Document(bytes)), second(first)
    {
        second.replace("Breaking", "Breakink");
    }
    const QByteArray& operator[](int64_t i) const { return (i & 1) ? second : first; }
    QByteArray first;
    QByteArray second;
};

void BM_Load2KbRtfAndLayoutAt1000px(benchmark::State& state)
{
    const TwoDocuments rtf(2048);
    CRichEditExCtrl control(CRichEditExCtrl::kMultiLine, 1252, 96.0);
    int64_t i = 0;
    for (auto _ : state) {
        control.StreamIn(rtf[i++]);
        benchmark::DoNotOptimize(control.FormatRange(0, 1000 * kTwips, 32000 * kTwips, nullptr));
    }
    state.SetBytesProcessed(state.iterations() * rtf.first.size());
}
BENCHMARK(BM_Load2KbRtfAndLayoutAt1000px)->Unit(benchmark::kMillisecond);

void BM_Read1MbRtf(benchmark::State& state)
{
    const TwoDocuments rtf(1 << 20);
    CRichEditExCtrl control(CRichEditExCtrl::kMultiLine, 1252, 96.0);
    int64_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(control.StreamIn(rtf[i++]));
    state.SetBytesProcessed(state.iterations() * rtf.first.size());
}
BENCHMARK(BM_Read1MbRtf)->Unit(benchmark::kMillisecond);

void BM_Write1MbRtf(benchmark::State& state)
{
    CRichEditExCtrl control(CRichEditExCtrl::kMultiLine, 1252, 96.0);
    control.StreamIn(Document(1 << 20));
    qint64 size = 0;
    for (auto _ : state) {
        const QByteArray written = control.StreamOut();
        size = written.size();
        benchmark::DoNotOptimize(written.constData());
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_Write1MbRtf)->Unit(benchmark::kMillisecond);

// One 2048-pixel chunk of a rolling text 1920 pixels wide, laid out afresh
// after the text was loaded (as the text thread does for every chunk), and
// drawn (measure only, or drawn once).
void RollChunk(benchmark::State& state, bool draw)
{
    const QByteArray rtf = Document(12 * 1024);
    CRichEditExCtrl control(CRichEditExCtrl::kMultiLine, 1252, 96.0);
    QImage picture(1920, 2048, QImage::Format_RGB32);
    int characters = 0;
    for (auto _ : state) {
        state.PauseTiming();
        control.StreamIn("{\\rtf1 x}");
        control.StreamIn(rtf);
        state.ResumeTiming();
        const FormatRangeResult chunk = control.FormatRange(0, 1920 * kTwips, 2048 * kTwips, draw ? &picture : nullptr);
        characters = chunk.nextChar;
        benchmark::DoNotOptimize(chunk);
    }
    state.counters["characters"] = characters;
}
// The tenth chunk of a long rolling text: the first time the text thread
// gets there (the text before it is laid out too), and when it loads the same
// text again before the chunk, as it does for every chunk.
struct TenthChunk
{
    TenthChunk()
        : rtf(Document(128 * 1024)),
          control(CRichEditExCtrl::kMultiLine, 1252, 96.0),
          picture(1920, 2048, QImage::Format_RGB32)
    {
        control.StreamIn(rtf);
        for (int i = 0; i < 9; ++i)
            position = control.FormatRange(position, 1920 * kTwips, 2048 * kTwips, nullptr).nextChar;
    }
    FormatRangeResult Render() { return control.FormatRange(position, 1920 * kTwips, 2048 * kTwips, &picture); }

    QByteArray rtf;
    CRichEditExCtrl control;
    QImage picture;
    int position = 0;
};

void BM_RollChunk2048TenthFirstTime(benchmark::State& state)
{
    TenthChunk tenth;
    for (auto _ : state) {
        state.PauseTiming();
        tenth.control.StreamIn("{\\rtf1 x}");
        tenth.control.StreamIn(tenth.rtf);
        state.ResumeTiming();
        benchmark::DoNotOptimize(tenth.Render());
    }
}
BENCHMARK(BM_RollChunk2048TenthFirstTime)->Unit(benchmark::kMillisecond);

void BM_RollChunk2048TenthReloaded(benchmark::State& state)
{
    TenthChunk tenth;
    for (auto _ : state) {
        tenth.control.StreamIn(tenth.rtf);
        benchmark::DoNotOptimize(tenth.Render());
    }
}
BENCHMARK(BM_RollChunk2048TenthReloaded)->Unit(benchmark::kMillisecond);

void BM_RollChunk2048Layout(benchmark::State& state) { RollChunk(state, false); }
void BM_RollChunk2048LayoutAndDraw(benchmark::State& state) { RollChunk(state, true); }
BENCHMARK(BM_RollChunk2048Layout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RollChunk2048LayoutAndDraw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
