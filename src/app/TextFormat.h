#pragma once

#include <QString>

// The printf conversions of the program's texts. A translated text comes from
// a file, so its conversions need not ask for what the caller passes: it may
// be formatted with the arguments of the built-in text only when both read
// the same arguments in the same order.

// Whether text and reference read the same kinds of arguments in the same
// order: "%s" a string, "%d", "%02d" and "%c" an int, "%ld" a long, "%f" a
// double; flags, digit widths and precisions may differ, a "*" width or
// precision (one int more) must be in both; "%%" reads nothing. False when
// either text holds "%n", an unknown or incomplete conversion, or a width or
// precision above kMaxFieldNumber (a text that asks for a huge field would
// build a huge string).
bool ConversionsMatch(const QString& text, const QString& reference);

inline constexpr int kMaxFieldNumber = 1000;
