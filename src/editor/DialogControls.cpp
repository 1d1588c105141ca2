#include "editor/DialogControls.h"

#include <QKeyEvent>
#include <QLabel>

QString WithoutAccessKey(const QString& caption)
{
    return QString(caption).remove(QLatin1Char('&'));
}

QLabel* Caption(const QString& text, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(WithoutAccessKey(text));
    return label;
}

bool IsDialogEndKey(const QKeyEvent& event)
{
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter || event.key() == Qt::Key_Escape;
}
