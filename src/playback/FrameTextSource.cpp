// The text source operations of CFrame: reading the object's source into the
// RTF that the text renderer draws, noticing changes, and the default
// template of a new source.
#include "model/Frame.h"

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

QString CFrame::FormatClock() const
{
    return FormatClockNow(clockFormat);
}

QString CFrame::FormatTimer() const
{
    const bool isPlaying = playing.load() != 0;
    const int64_t v = TimerValueMicros(timerDirection, timerStart, timerStop, isPlaying, elapsed, elapsedMicros);
    return FormatTimerValue(timerFormat, timerDirection == kTimerDown, v);
}

QString CFrame::CsvField(int i) const
{
    return ::CsvField(csvData, i);
}

int CFrame::SubstituteText(ISourceTextControl& control, const QString& text)
{
    control.StreamIn(richText);
    SubstitutePlaceholder(control, text);
    preparedRtf = control.StreamOut();
    return 1;
}

int CFrame::InitSource(ISourceTextControl& control)
{
    preparedRtf.clear();
    const int result = ReadSource(control);
    if (result && (textSource == kSourceTextFile || textSource == kSourceRtfFile || textSource == kSourceCsvFile))
        sourceFileTime = sourceFileStamp.LastWriteTime();
    return result;
}

int CFrame::ReadSource(ISourceTextControl& control)
{
    switch (textSource) {
    case kSourceObjectText:
        return 1;
    case kSourceClock:
        currentText = FormatClock();
        return SubstituteText(control, currentText);
    case kSourceTimer:
        currentText = FormatTimer();
        return SubstituteText(control, currentText);
    case kSourceTextFile: {
        QString text;
        if (!ReadTextFile(fileName, encoding, movement, text, &sourceFileStamp))
            return 0;
        if (barGraph) {
            barValue.exchange(BarGraphValue(text));
            return 1;
        }
        return SubstituteText(control, text);
    }
    case kSourceRtfFile:
        return ReadRtfFile(fileName, preparedRtf, &sourceFileStamp);
    case kSourceCsvFile:
        return ReadCsvFile(csvData, fileName, encoding, separator, firstLineIsHeader, &sourceFileStamp);
    default:
        return 0;
    }
}

int CFrame::IsSourceChanged()
{
    switch (textSource) {
    case kSourceObjectText:
        return 0;
    case kSourceClock:
        return FormatClock() != currentText ? 1 : 0;
    case kSourceTimer:
        return FormatTimer() != currentText ? 1 : 0;
    case kSourceTextFile:
    case kSourceRtfFile:
    case kSourceCsvFile: {
        const CFileStamp stamp = FileStampOf(fileName);
        return !stamp.IsValid() || stamp != sourceFileStamp ? 1 : 0;
    }
    default:
        return 1;
    }
}

int CFrame::LoadContent(ISourceTextControl& control)
{
    switch (textSource) {
    case kSourceCsvFile: {
        if (csvData.currentRow < 0 || static_cast<size_t>(csvData.currentRow) >= csvData.rows.size())
            return 0;
        if (!control.StreamIn(richText))
            return 1;
        SubstituteCsvFields(control, csvData.placeholders, [this](int i) { return CsvField(i); });
        return 1;
    }
    case kSourceClock:
    case kSourceTimer:
    case kSourceRtfFile:
        control.StreamIn(preparedRtf);
        return 1;
    case kSourceTextFile:
        control.StreamIn(barGraph ? richText : preparedRtf);
        return 1;
    default:
        control.StreamIn(richText);
        return 1;
    }
}

SourceStepResult CFrame::RunSourceSteps(ISourceTextControl& control)
{
    const void* self = this;
    bool checked = false;
    if (sourceReady.load() && sourceCheckDue.load()) {
        const int changed = IsSourceChanged();
        if (changed)
            sourceReady.exchange(0);
        WriteLog(kLogDetail, "CFrame::InvokeRender(%08X) IsSourceChanged() = %d", LogAddress(self), changed);
        checked = changed == 0;
    }

    SourceStepResult result = kSourceIdle;
    if (!sourceReady.load()) {
        if (InitSource(control)) {
            WriteLog(kLogDetail, "CFrame::InvokeRender(%08X) InitSource()", LogAddress(self));
            sourceReady.exchange(1);
            sourceError.exchange(0);
            result = kSourceRestarted;
        } else {
            sourceError.exchange(1);
            sourceCheckCountdown.exchange(FramesIn(1000000, framePeriod));
            sourceCheckDue.exchange(0);
            result = kSourceFailed;
        }
        WriteLog(kLogDetail, "CFrame::InvokeRender(%08X): InitSource() = %d", LogAddress(self), sourceReady.load());
        if (result == kSourceFailed)
            return result;
    } else if (checked) {
        result = kSourceChecked;
    } else {
        return kSourceIdle;
    }

    sourceCheckDue.exchange(0);
    switch (textSource) {
    case kSourceClock:
        sourceCheckCountdown.exchange(FramesIn(100000, framePeriod));
        break;
    case kSourceTimer:
        sourceCheckCountdown.exchange(1);
        break;
    case kSourceTextFile:
    case kSourceRtfFile:
        if (monitorFile && movement == kMovementFixed)
            sourceCheckCountdown.exchange(FramesIn(1000000, framePeriod));
        break;
    case kSourceCsvFile:
        if (static_cast<size_t>(csvData.currentRow) >= csvData.rows.size()) {
            WriteLog(kLogDetail, "CFrame::InvokeRender(%08X): restart source", LogAddress(self));
            csvData.currentRow = 0;
        }
        break;
    default:
        break;
    }
    return result;
}

void CFrame::BuildDefaultText()
{
    if (!richText.isEmpty())
        return;
    QString placeholder;
    switch (textSource) {
    case kSourceClock:
    case kSourceTextFile:
    case kSourceTimer:
        placeholder = QStringLiteral("%1%");
        break;
    case kSourceCsvFile: {
        const QStringList placeholders = ReadCsvPlaceholders(fileName, encoding, separator, firstLineIsHeader);
        placeholder = placeholders.isEmpty() ? QStringLiteral("%1%") : placeholders.join(QLatin1Char(' '));
        break;
    }
    default:
        break;
    }
    if (!placeholder.isEmpty())
        richText = BuildDefaultRtf(placeholder);
}
