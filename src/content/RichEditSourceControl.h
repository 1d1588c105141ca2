#pragma once

#include "content/RichEditExCtrl.h"
#include "playback/SourceTextControl.h"

// A text source's view of one of the text renderer's rich text controls:
// the sources stream their templates in, find placeholders and replace them
// on the real engine, so the placeholder's font, size and colour carry over
// to the text put in its place.
class CRichEditSourceControl final : public ISourceTextControl
{
public:
    explicit CRichEditSourceControl(CRichEditExCtrl& control)
        : control_(control)
    {
    }

    int StreamIn(const QByteArray& rtf) override { return control_.StreamIn(rtf) ? 1 : 0; }
    QByteArray StreamOut() override { return control_.StreamOut(); }
    int TextLength() const override { return control_.TextLength(); }
    int Find(const QString& text, int from) const override { return control_.FindText(text, from); }
    void Replace(int start, int length, const QString& text) override
    {
        control_.SetSelection(start, start + length);
        control_.ReplaceSelection(text);
    }

private:
    CRichEditExCtrl& control_;
};
