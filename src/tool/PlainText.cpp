#include "tool/PlainText.h"

#include "content/RichEditExCtrl.h"

QString PlainTextOf(const CRichEditExCtrl& control)
{
    QString text = control.Text();
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\v'), QLatin1Char('\n'));
    return text;
}

QString PlainTextOfRtf(const QByteArray& rtf)
{
    if (rtf.isEmpty())
        return QString();
    CRichEditExCtrl control(CRichEditExCtrl::kMultiLine);
    if (!control.StreamIn(rtf))
        return QString();
    return PlainTextOf(control);
}
