#pragma once

#include "document/TextFormatCommands.h"

class QWidget;

// The formatting commands' questions as the standard colour and font
// dialogs and the paragraph dialog ask them.
class CTextFormatDialogs : public ITextFormatDialogs
{
public:
    explicit CTextFormatDialogs(QWidget* parent) : parent_(parent) {}

    std::optional<ColorRef> ChooseColor(ColorRef initial) override;
    std::optional<CCharFormat> ChooseFont(const CCharFormat& initial) override;
    std::optional<ParagraphFields> EditParagraph(const ParagraphFields& fields, bool singleLine) override;
    void ShowBusy(bool busy) override;

private:
    QWidget* parent_;
};

// The font dialog's answer as a format: its mask names what held one value
// over the selection before and what the operator changed, so that a mixed
// face or size left alone stays mixed.
CCharFormat FontDialogChoice(const CCharFormat& initial, const QFont& chosen);
QFont FontOfFormat(const CCharFormat& format);
