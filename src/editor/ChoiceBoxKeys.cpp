#include "editor/ChoiceBoxKeys.h"

#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

void TakeOverChoiceKeys(QComboBox* box, QObject* filter)
{
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCurrentIndex(-1);
    box->clearEditText();
    box->lineEdit()->installEventFilter(filter);
    if (box->completer() != nullptr)
        QObject::disconnect(box->completer(), nullptr, box, nullptr);
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
}

bool IsEnterInBox(const QComboBox* box, const QObject* watched, const QEvent* event)
{
    if (watched != box->lineEdit() || event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
