#pragma once

#include "content/PictureImport.h"

#include <memory>

class CMainDoc;
class QProgressDialog;
class QWidget;

// What a picture import shows the operator in the editor: its questions as
// message boxes, its messages through the document's host, and its progress
// in a dialog that Esc or Cancel stops.
class CImportFeedbackDialog final : public IImportFeedback
{
public:
    CImportFeedbackDialog(CMainDoc& doc, QWidget* parent);
    ~CImportFeedbackDialog() override;

    bool Ask(const CUserMessage& question) override;
    void Show(const CUserMessage& message) override;
    void BeginProgress(int range) override;
    bool Progress(int position) override;
    void EndProgress() override;

private:
    CMainDoc& doc_;
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> progress_;
};
