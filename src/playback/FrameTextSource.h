#pragma once

#include "model/Frame.h"
#include "playback/ClockText.h"

#include <QString>

class ISourceTextControl;

// What the source steps of the text thread did for an object.
enum SourceStepResult : int {
    kSourceIdle = 0,       // ready and no check due: go on rendering chunks
    kSourceChecked = 1,    // checked and unchanged; next check scheduled
    kSourceRestarted = 2,  // (re)read: render the text again from its beginning
    kSourceFailed = 3,     // could not be read; retried on the next pass
};

// An object's text source: reading the typed text, the clock, the timer or
// a text, RTF or CSV file into the RTF that the text layout draws, noticing
// when it changed, and the template text of a new source. All but
// BuildDefaultText run on the text thread (or, for a stopped object, on the
// user-interface thread for the editor's picture); the control is the text
// renderer's control for the object's movement. A clock reads the time
// from `clock` when one is given, else from the machine's clock.
class CFrameTextSource
{
public:
    explicit CFrameTextSource(CFrame& object, const ClockTimeSource* clock = nullptr) : o_(object), clock_(clock) {}

    int InitSource(ISourceTextControl& control);
    int IsSourceChanged();
    int LoadContent(ISourceTextControl& control);
    int SubstituteText(ISourceTextControl& control, const QString& text);
    QString FormatClock() const;
    QString FormatTimer() const;
    QString CsvField(int i) const;
    // Steps 1 to 3 of each text thread pass: check, (re)read, schedule.
    SourceStepResult RunSourceSteps(ISourceTextControl& control);
    // A white bold template with the source's placeholders for a new source
    // (user-interface thread, after a settings change); keeps a non-empty one.
    void BuildDefaultText();

private:
    int ReadSource(ISourceTextControl& control);  // InitSource by source

    CFrame& o_;
    const ClockTimeSource* clock_;
};
