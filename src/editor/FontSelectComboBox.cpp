#include "editor/FontSelectComboBox.h"

#include "editor/ChoiceBoxKeys.h"

CFontSelectComboBox::CFontSelectComboBox(QWidget* parent) : QFontComboBox(parent)
{
    setFontFilters(QFontComboBox::ScalableFonts);
    TakeOverChoiceKeys(this, this);
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
    if (!IsEnterInBox(this, watched, event))
        return QFontComboBox::eventFilter(watched, event);
    const int index = findText(currentText().trimmed(), Qt::MatchFixedString);
    if (index >= 0) {
        setCurrentIndex(index);
        emit FontChosen(itemText(index));
    }
    return true;
}
