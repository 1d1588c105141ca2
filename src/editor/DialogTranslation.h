#pragma once

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

class QWidget;

// Gives a dialog the texts of the chosen language pack: its caption by the
// dialog's id, and each control's text by the control's id (the "tavrelId"
// properties). Texts a pack lacks stay English.
void TranslateDialog(QWidget* dialog);

// A dialog or control with the id language packs know it by.
template <typename Control>
Control* Tagged(Control* control, int id)
{
    control->setProperty("tavrelId", id);
    return control;
}

// A control whose text the program writes (a value, a file name): packs
// leave it alone. Marked on a dialog, it keeps the caption the program
// gives it (one made from a translated string with a name in it).
void MarkDynamicText(QWidget* control);

// The texts a dialog shows that a pack can replace, by key: its caption and
// every control with an id and a text.
std::vector<std::pair<std::uint32_t, QString>> DialogTexts(QWidget* dialog);
