#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// Windows code pages as 8-bit text and RTF use them, converted with iconv.
namespace codepage {

// The ANSI code page of this user: the "AnsiCodePage" setting of section
// "Preferences" when it is above 0, otherwise the code page that belongs to
// the language of the user's locale (LC_ALL, LC_CTYPE, LANG), so that files
// written on the other system in that language read the same here.
int AnsiCodePage();
// The ANSI code page of a language ("ru", "pl_PL.UTF-8", "el-GR",
// "sr@latin"; only the language part counts): 1251 for Cyrillic languages,
// 1250 for Central European ones, and so on; 1252 for any other.
int CodePageForLanguage(const QString& language);
// The code page of an RTF or font character set (\fcharset); ANSI (0) and
// default (1) character sets mean the document's ANSI code page.
int CodePageForCharset(int charset, int ansiCodePage);
// The iconv name of a code page, or empty when it has none.
QByteArray IconvName(int codePage);

}  // namespace codepage

// Converts between one code page and UTF-16. The iconv descriptors are opened
// on first use and kept, so keep one converter per code page that is used
// often. A code page without a conversion is read and written as 1252
// (logged). Not
// thread-safe: one converter per thread.
class CCodePageConverter
{
public:
    explicit CCodePageConverter(int codePage);
    ~CCodePageConverter();
    CCodePageConverter(const CCodePageConverter&) = delete;
    CCodePageConverter& operator=(const CCodePageConverter&) = delete;

    int CodePage() const { return codePage_; }

    // Bytes that are not valid in the code page, and a multi-byte character
    // cut off at the end, become U+FFFD each; conversion goes on after them.
    // Letters with combining marks are composed (Vietnamese).
    QString Decode(const char* data, qsizetype size);
    QString Decode(const QByteArray& bytes) { return Decode(bytes.constData(), bytes.size()); }
    // The bytes of one character (a surrogate pair counts as one), or empty
    // when the code page cannot represent it.
    QByteArray EncodeChar(char32_t character);

private:
    void OpenDecoder();

    struct Descriptors;
    int codePage_;
    std::unique_ptr<Descriptors> descriptors_;
};

// One-off conversion (opens a converter for the call).
QString ConvertFromCodePage(int codePage, const char* bytes, qsizetype size);
