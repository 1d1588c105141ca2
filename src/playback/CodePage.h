#pragma once

#include <QString>

#include <cstddef>

// Windows code pages for 8-bit text files (read as "ANSI"). The code page is
// the one the user's language uses on Windows, so files written there read
// the same here; the settings value "AnsiCodePage" in "Preferences" (0 =
// derived) overrides it.

// The Windows code page of a language, by its ISO 639 code ("ru", "pl_PL",
// "el-GR"; only the language part counts). 1252 for everything else.
int AnsiCodePageForLanguage(const QString& language);

// The code page in use: the setting when it is above 0, otherwise the one of
// the language of the C runtime locale (LC_CTYPE, then LC_ALL, LANG).
int AnsiCodePage();

// Converts bytes of one Windows code page to UTF-16 through iconv, composing
// characters where the code page has combining marks (Vietnamese). A byte
// sequence the code page does not define becomes U+FFFD; conversion goes on
// after it. Not thread-safe: one converter per thread or file.
class CCodePageConverter
{
public:
    // An unknown code page falls back to 1252 (logged once per converter).
    explicit CCodePageConverter(int codePage);
    ~CCodePageConverter();
    CCodePageConverter(const CCodePageConverter&) = delete;
    CCodePageConverter& operator=(const CCodePageConverter&) = delete;

    QString Convert(const char* bytes, size_t length);
    // The code page actually used (1252 after a fallback).
    int CodePage() const { return codePage_; }

private:
    void* handle_ = nullptr;  // iconv_t
    int codePage_ = 1252;
};

// One-off conversion (opens a converter for the call).
QString ConvertFromCodePage(int codePage, const char* bytes, size_t length);
