#pragma once

#include "document/TextFormatCommands.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

// The paragraph formatting dialog: alignment, margins and spacing in
// pixels, line spacing. Empty fields stay as the text has them.
class CDlgParaFmt : public QDialog
{
    Q_OBJECT

public:
    // singleLine: alignment, right margin and line spacing are fixed.
    CDlgParaFmt(const ParagraphFields& fields, bool singleLine, QWidget* parent);

    ParagraphFields Fields() const;

private:
    QComboBox* alignment_;
    QComboBox* lineSpacing_;
    QLineEdit* left_;
    QLineEdit* right_;
    QLineEdit* firstLine_;
    QLineEdit* top_;
    QLineEdit* bottom_;
};
