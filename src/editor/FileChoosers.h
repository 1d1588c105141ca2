#pragma once

#include <QString>

class QWidget;

// The platform's file dialogs as the editor uses them: a file that must
// exist, or a name to save to (asking before an existing file is replaced,
// the default extension added). Empty when the operator cancelled.
// A typed name without an extension gets defaultSuffix when one is given.
QString ChooseExistingFile(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                           const QString& defaultSuffix = {});
QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                         const QString& defaultSuffix);
