#include "editor/FileChoosers.h"

#include <QFileDialog>

namespace {

QString RunDialog(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

}  // namespace

QString ChooseExistingFile(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                           const QString& defaultSuffix)
{
    QFileDialog dialog(parent, title, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix);
    return RunDialog(dialog);
}

QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                         const QString& defaultSuffix)
{
    QFileDialog dialog(parent, title, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    return RunDialog(dialog);
}
