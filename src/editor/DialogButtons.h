#pragma once

class QDialog;
class QDialogButtonBox;

// OK and Cancel for a dialog, wired to accept and reject, with the ids
// language packs know them by.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);
