#pragma once

#include "content/RichEditExCtrl.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// Helpers shared by the rich text tests.
namespace richtext_test {

inline QByteArray Fixture(const char* name)
{
    QFile file(QStringLiteral(TAVREL_FIXTURES_DIR "/rtf/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A control at 96 dots per inch (15 twips per pixel) reading 1252 by default,
// so that results do not depend on the machine's screen or language.
inline CRichEditExCtrl::Kind kMulti = CRichEditExCtrl::kMultiLine;
inline CRichEditExCtrl::Kind kSingle = CRichEditExCtrl::kSingleLine;

inline CCharFormat FormatOf(CRichEditExCtrl& control, int start, int end)
{
    control.SetSelection(start, end);
    return control.GetSelectionCharFormat();
}

inline CCharFormat FormatOf(CRichEditExCtrl& control, const QString& text)
{
    const int at = control.FindText(text);
    return FormatOf(control, at, at + static_cast<int>(text.size()));
}

inline CParaFormat ParaFormatAt(CRichEditExCtrl& control, int position)
{
    control.SetSelection(position, position);
    return control.GetSelectionParaFormat();
}

}  // namespace richtext_test
