#pragma once

#include <QByteArray>
#include <QString>

class CRichEditExCtrl;

// The plain text a control holds, one line per paragraph ("\n" between
// them; a manual line break also starts a new line).
QString PlainTextOf(const CRichEditExCtrl& control);
// The plain text of rich text bytes; empty when they are not RTF.
QString PlainTextOfRtf(const QByteArray& rtf);
