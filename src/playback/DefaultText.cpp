#include "playback/DefaultText.h"

namespace {

constexpr char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
    "{\\f1\\fnil\\fcharset204{\\*\\fname Arial;}Arial CYR;}}\r\n"
    "{\\colortbl ;\\red255\\green255\\blue255;}\r\n"
    "\\viewkind4\\uc1\\pard\\cf1\\lang1033\\b\\fs56 ";
constexpr char kTail[] = "\\lang1049\\f1\\par\r\n}\r\n";

void AppendRtfText(QByteArray& out, const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else {
            // \uN takes a signed 16-bit number; "?" is the one fallback
            // character that \uc1 tells readers to skip.
            out += "\\u" + QByteArray::number(static_cast<int16_t>(u)) + '?';
        }
    }
}

}  // namespace

QByteArray BuildDefaultRtf(const QString& text)
{
    QByteArray rtf(kHeader, sizeof kHeader - 1);
    AppendRtfText(rtf, text);
    rtf.append(kTail, sizeof kTail - 1);
    return rtf;
}
