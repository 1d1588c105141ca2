// The text source operations of CFrame: reading the object's source into the
// RTF that the text renderer draws, noticing changes, and the default
// template of a new source.
#include "playback/FrameTextSource.h"

#include "app/Log.h"
#include "playback/ClockText.h"
#include "playback/CsvSource.h"
#include "playback/DefaultText.h"
#include "playback/SourceFileStamp.h"
#include "playback/SourceTextControl.h"
#include "playback/TextFileSource.h"
#include "playback/TextSubstitution.h"
#include "playback/TimerText.h"

namespace {

// Output frames in the given number of microseconds (at least 1).
int FramesIn(int micros, int framePeriod)
{
    const int period = framePeriod > 0 ? framePeriod : 20000;
    return std::max(1, micros / period);
}

}  // namespace

QString CFrameTextSource::FormatClock() const
{
    if (clock_ && *clock_)
        return FormatClockAt(o_.clockFormat, (*clock_)());
    return FormatClockNow(o_.clockFormat);
}

QString CFrameTextSource::FormatTimer() const
{
    const bool isPlaying = o_.playing.load() != 0;
    const int64_t v = TimerValueMicros(o_.timerDirection, o_.timerStart, o_.timerStop, isPlaying, o_.elapsed, o_.elapsedMicros);
    return FormatTimerValue(o_.timerFormat, o_.timerDirection == kTimerDown, v);
}

QString CFrameTextSource::CsvField(int i) const
{
    return ::CsvField(o_.csvData, i);
}

int CFrameTextSource::SubstituteText(ISourceTextControl& control, const QString& text)
{
    control.StreamIn(o_.richText);
    SubstitutePlaceholder(control, text);
    o_.preparedRtf = control.StreamOut();
    return 1;
}

int CFrameTextSource::InitSource(ISourceTextControl& control)
{
    o_.preparedRtf.clear();
    const int result = ReadSource(control);
    if (result && (o_.textSource == kSourceTextFile || o_.textSource == kSourceRtfFile || o_.textSource == kSourceCsvFile))
        o_.sourceFileTime = o_.sourceFileStamp.LastWriteTime();
    return result;
}

int CFrameTextSource::ReadSource(ISourceTextControl& control)
{
    switch (o_.textSource) {
    case kSourceObjectText:
        return 1;
    case kSourceClock:
        o_.currentText = FormatClock();
        return SubstituteText(control, o_.currentText);
    case kSourceTimer:
        o_.currentText = FormatTimer();
        return SubstituteText(control, o_.currentText);
    case kSourceTextFile: {
        QString text;
        if (!ReadTextFile(o_.fileName, o_.encoding, o_.movement, text, &o_.sourceFileStamp))
            return 0;
        if (o_.barGraph) {
            o_.barValue.exchange(BarGraphValue(text));
            return 1;
        }
        return SubstituteText(control, text);
    }
    case kSourceRtfFile:
        return ReadRtfFile(o_.fileName, o_.preparedRtf, &o_.sourceFileStamp);
    case kSourceCsvFile:
        return ReadCsvFile(o_.csvData, o_.fileName, o_.encoding, o_.separator, o_.firstLineIsHeader, &o_.sourceFileStamp);
    default:
        return 0;
    }
}

int CFrameTextSource::IsSourceChanged()
{
    switch (o_.textSource) {
    case kSourceObjectText:
        return 0;
    case kSourceClock:
        return FormatClock() != o_.currentText ? 1 : 0;
    case kSourceTimer:
        return FormatTimer() != o_.currentText ? 1 : 0;
    case kSourceTextFile:
    case kSourceRtfFile:
    case kSourceCsvFile: {
        const CFileStamp stamp = FileStampOf(o_.fileName);
        return !stamp.IsValid() || stamp != o_.sourceFileStamp ? 1 : 0;
    }
    default:
        return 1;
    }
}

int CFrameTextSource::LoadContent(ISourceTextControl& control)
{
    switch (o_.textSource) {
    case kSourceCsvFile: {
        if (o_.csvData.currentRow < 0 || static_cast<size_t>(o_.csvData.currentRow) >= o_.csvData.rows.size())
            return 0;
        if (!control.StreamIn(o_.richText))
            return 1;
        SubstituteCsvFields(control, o_.csvData.placeholders, [this](int i) { return CsvField(i); });
        return 1;
    }
    case kSourceClock:
    case kSourceTimer:
    case kSourceRtfFile:
        control.StreamIn(o_.preparedRtf);
        return 1;
    case kSourceTextFile:
        control.StreamIn(o_.barGraph ? o_.richText : o_.preparedRtf);
        return 1;
    default:
        control.StreamIn(o_.richText);
        return 1;
    }
}

SourceStepResult CFrameTextSource::RunSourceSteps(ISourceTextControl& control)
{
    const void* self = &o_;
    bool checked = false;
    if (o_.sourceReady.load() && o_.sourceCheckDue.load()) {
        const int changed = IsSourceChanged();
        if (changed)
            o_.sourceReady.exchange(0);
        WriteLog(kLogDetail, "CFrame::InvokeRender(%08X) IsSourceChanged() = %d", LogAddress(self), changed);
        checked = changed == 0;
    }

    SourceStepResult result = kSourceIdle;
    if (!o_.sourceReady.load()) {
        if (InitSource(control)) {
            WriteLog(kLogDetail, "CFrame::InvokeRender(%08X) InitSource()", LogAddress(self));
            o_.sourceReady.exchange(1);
            o_.sourceError.exchange(0);
            result = kSourceRestarted;
        } else {
            o_.sourceError.exchange(1);
            o_.sourceCheckCountdown.exchange(FramesIn(1000000, o_.framePeriod));
            o_.sourceCheckDue.exchange(0);
            result = kSourceFailed;
        }
        WriteLog(kLogDetail, "CFrame::InvokeRender(%08X): InitSource() = %d", LogAddress(self), o_.sourceReady.load());
        if (result == kSourceFailed)
            return result;
    } else if (checked) {
        result = kSourceChecked;
    } else {
        return kSourceIdle;
    }

    o_.sourceCheckDue.exchange(0);
    switch (o_.textSource) {
    case kSourceClock:
        o_.sourceCheckCountdown.exchange(FramesIn(100000, o_.framePeriod));
        break;
    case kSourceTimer:
        o_.sourceCheckCountdown.exchange(1);
        break;
    case kSourceTextFile:
    case kSourceRtfFile:
        if (o_.monitorFile && o_.movement == kMovementFixed)
            o_.sourceCheckCountdown.exchange(FramesIn(1000000, o_.framePeriod));
        break;
    case kSourceCsvFile:
        if (static_cast<size_t>(o_.csvData.currentRow) >= o_.csvData.rows.size()) {
            WriteLog(kLogDetail, "CFrame::InvokeRender(%08X): restart source", LogAddress(self));
            o_.csvData.currentRow = 0;
        }
        break;
    default:
        break;
    }
    return result;
}

void CFrameTextSource::BuildDefaultText()
{
    if (!o_.richText.isEmpty())
        return;
    QString placeholder;
    switch (o_.textSource) {
    case kSourceClock:
    case kSourceTextFile:
    case kSourceTimer:
        placeholder = QStringLiteral("%1%");
        break;
    case kSourceCsvFile: {
        const QStringList placeholders = ReadCsvPlaceholders(o_.fileName, o_.encoding, o_.separator, o_.firstLineIsHeader);
        placeholder = placeholders.isEmpty() ? QStringLiteral("%1%") : placeholders.join(QLatin1Char(' '));
        break;
    }
    default:
        break;
    }
    if (!placeholder.isEmpty())
        o_.richText = BuildDefaultRtf(placeholder);
}
