#include "editor/ImportFeedbackDialog.h"

#include "app/StringTable.h"
#include "document/MainDoc.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>

namespace {

constexpr int kApplicationTitleId = 57344;
constexpr int kPleaseWaitId = 10717;

}  // namespace

CImportFeedbackDialog::CImportFeedbackDialog(CMainDoc& doc, QWidget* parent) : doc_(doc), parent_(parent) {}

CImportFeedbackDialog::~CImportFeedbackDialog() = default;

bool CImportFeedbackDialog::Ask(const CUserMessage& question)
{
    return QMessageBox::question(parent_, LoadText(kApplicationTitleId), question.text) == QMessageBox::Yes;
}

void CImportFeedbackDialog::Show(const CUserMessage& message)
{
    doc_.Host().ShowMessage(message);
}

void CImportFeedbackDialog::BeginProgress(int range)
{
    progress_ = std::make_unique<QProgressDialog>(LoadText(kPleaseWaitId), QString(), 0, std::max(range, 1), parent_);
    progress_->setWindowTitle(LoadText(kApplicationTitleId));
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setMinimumDuration(300);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

bool CImportFeedbackDialog::Progress(int position)
{
    if (progress_ == nullptr)
        return true;
    progress_->setValue(position);
    // The dialog and Esc answer here, between frames.
    QApplication::processEvents();
    return !progress_->wasCanceled();
}

void CImportFeedbackDialog::EndProgress()
{
    if (progress_ == nullptr)
        return;
    QApplication::restoreOverrideCursor();
    progress_.reset();
}
