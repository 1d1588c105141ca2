#pragma once

#include <QString>

#include <optional>
#include <span>

// The rules of the text format toolbar's boxes, kept apart from the boxes.

// The sizes the font size box lists, in points.
std::span<const int> FontSizeChoices();
// What Enter in the font size box does with the typed text: a whole number
// of points from 8 to 200 is taken; anything else empties the box.
std::optional<int> AcceptTypedFontSize(const QString& text);
