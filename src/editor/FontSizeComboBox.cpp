#include "editor/FontSizeComboBox.h"

#include "document/TextFormatBoxes.h"

#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

CFontSizeComboBox::CFontSizeComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    for (const int size : FontSizeChoices())
        addItem(QString::number(size), size);
    setCurrentIndex(-1);
    clearEditText();
    lineEdit()->installEventFilter(this);
    // Enter and the list choose, nothing else: the completer's activation
    // and leaving the box with a listed text would announce it again.
    if (completer() != nullptr)
        QObject::disconnect(completer(), nullptr, this, nullptr);
    QObject::disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    connect(this, &QComboBox::activated, this, [this](int index) { emit FontSizeChosen(itemData(index).toInt()); });
}

void CFontSizeComboBox::ShowFontSize(int points)
{
    const QSignalBlocker quiet(this);
    setCurrentIndex(findData(points));
    setEditText(points > 0 ? QString::number(points) : QString());
}

bool CFontSizeComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (const auto size = AcceptTypedFontSize(currentText()))
                emit FontSizeChosen(*size);
            else
                clearEditText();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}
