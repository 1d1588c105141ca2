#pragma once

class QWidget;

// Gives a dialog the texts of the chosen language pack: its caption by the
// dialog's id, and each control's text by the control's id (the "tavrelId"
// properties). Texts a pack lacks stay English.
void TranslateDialog(QWidget* dialog);
