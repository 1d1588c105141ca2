#include "editor/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace {

constexpr int kOkId = 1;      // IDOK
constexpr int kCancelId = 2;  // IDCANCEL

}  // namespace

QDialogButtonBox* OkCancelButtons(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setProperty("tavrelId", kOkId);
    buttons->button(QDialogButtonBox::Cancel)->setProperty("tavrelId", kCancelId);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
