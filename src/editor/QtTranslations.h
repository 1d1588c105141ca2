#pragma once

// Qt's own texts (the buttons of message boxes and of the wizard, the
// colour, font and file dialogs) in the chosen pack's language, where the
// system has Qt's translations for it; English for 0.
void InstallQtTranslations(int languageId);
