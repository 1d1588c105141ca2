#include "editor/FontSizeComboBox.h"

#include "document/TextFormatBoxes.h"
#include "editor/ChoiceBoxKeys.h"

CFontSizeComboBox::CFontSizeComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    for (const int size : FontSizeChoices())
        addItem(QString::number(size), size);
    TakeOverChoiceKeys(this, this);
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
    if (!IsEnterInBox(this, watched, event))
        return QComboBox::eventFilter(watched, event);
    if (const auto size = AcceptTypedFontSize(currentText()))
        emit FontSizeChosen(*size);
    else
        clearEditText();
    return true;
}
