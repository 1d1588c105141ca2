#pragma once

#include "playback/SourceTextControl.h"

// A control that holds plain text: "RTF" in and out is the text as UTF-8.
// Stands in for the rich text engine where only the text matters.
class CPlainTextControl final : public ISourceTextControl
{
public:
    int StreamIn(const QByteArray& rtf) override
    {
        ++streamIns;
        text = QString::fromUtf8(rtf);
        return failStreamIn ? 0 : 1;
    }
    QByteArray StreamOut() override { return text.toUtf8(); }
    int TextLength() const override { return static_cast<int>(text.size()); }
    int Find(const QString& what, int from) const override { return static_cast<int>(text.indexOf(what, from)); }
    void Replace(int start, int length, const QString& with) override { text.replace(start, length, with); }

    QString text;
    int streamIns = 0;
    bool failStreamIn = false;
};
