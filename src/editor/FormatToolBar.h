#pragma once

#include "editor/CommandToolBar.h"

class CFontSelectComboBox;
class CFontSizeComboBox;

// The text format toolbar: the font name and size boxes and the character
// and paragraph formats. Usable only while an object's text is edited.
class CFormatToolBar : public CCommandToolBar
{
    Q_OBJECT

public:
    CFormatToolBar(CActionRegistry& registry, bool large, QWidget* parent = nullptr);

    CFontSelectComboBox* FontNameBox() const { return fontName_; }
    CFontSizeComboBox* FontSizeBox() const { return fontSize_; }
    // The font chosen last in the boxes, for the command that announced it.
    const QString& ChosenFont() const { return chosenFont_; }
    int ChosenSize() const { return chosenSize_; }

private:
    CFontSelectComboBox* fontName_ = nullptr;
    CFontSizeComboBox* fontSize_ = nullptr;
    QString chosenFont_;
    int chosenSize_ = 0;
};
