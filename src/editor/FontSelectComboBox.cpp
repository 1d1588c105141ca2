#include "editor/FontSelectComboBox.h"

#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

CFontSelectComboBox::CFontSelectComboBox(QWidget* parent) : QFontComboBox(parent)
{
    setFontFilters(QFontComboBox::ScalableFonts);
    setInsertPolicy(QComboBox::NoInsert);
    setCurrentIndex(-1);
    clearEditText();
    lineEdit()->installEventFilter(this);
    // Enter and the list choose, nothing else: the completer's activation
    // and leaving the box with a listed text would announce it again.
    if (completer() != nullptr)
        QObject::disconnect(completer(), nullptr, this, nullptr);
    QObject::disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    connect(this, &QComboBox::activated, this, [this](int index) { emit FontChosen(itemText(index)); });
}

void CFontSelectComboBox::ShowFontName(const QString& name)
{
    const QSignalBlocker quiet(this);
    const int index = findText(name, Qt::MatchFixedString);
    setCurrentIndex(index);
    if (index < 0)
        setEditText(name);
}

bool CFontSelectComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const int index = findText(currentText().trimmed(), Qt::MatchFixedString);
            if (index >= 0) {
                setCurrentIndex(index);
                emit FontChosen(itemText(index));
            }
            return true;
        }
    }
    return QFontComboBox::eventFilter(watched, event);
}
