#pragma once

class QComboBox;
class QEvent;
class QObject;

// The toolbar's editable boxes choose a value by Enter or from the list,
// nothing else: the completer's activation and leaving the box with a listed
// text would announce the choice a second time. The box's own filter then
// sees Enter in its line edit first.
void TakeOverChoiceKeys(QComboBox* box, QObject* filter);
// Enter (either key) pressed in the box's line edit.
bool IsEnterInBox(const QComboBox* box, const QObject* watched, const QEvent* event);
