#pragma once

#include <QString>

class QKeyEvent;
class QLabel;
class QWidget;

// Small pieces every dialog of the editor builds with.

// A caption without its access key mark ("&Mode" reads "Mode").
QString WithoutAccessKey(const QString& caption);

// A caption label for a field: Alt and its letter reach the field, and
// screen readers name the field after it.
QLabel* Caption(const QString& text, QWidget* field, QWidget* parent);

// Enter, Return and Escape: the keys the list dialogs and the wizard keep
// from closing them.
bool IsDialogEndKey(const QKeyEvent& event);
