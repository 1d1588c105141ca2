#include "playback/CodePage.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"

#include <QStringList>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <iconv.h>
#include <vector>

namespace {

struct LanguageCodePage
{
    const char* languages;  // space separated ISO 639-1 codes
    int codePage;
};

constexpr LanguageCodePage kLanguageCodePages[] = {
    {"ru uk be bg sr mk", 1251},
    {"pl cs sk hu ro hr sl sq", 1250},
    {"el", 1253},
    {"tr az", 1254},
    {"he", 1255},
    {"ar fa ur", 1256},
    {"et lv lt", 1257},
    {"vi", 1258},
};

// "ru_RU.UTF-8", "sr@latin", "el-GR" -> "ru", "sr", "el".
QString LanguagePart(const QString& locale)
{
    qsizetype end = 0;
    while (end < locale.size() && locale[end].isLetter())
        ++end;
    return locale.left(end).toLower();
}

// The user's locale name as setlocale(LC_ALL, "") takes it from the
// environment; the environment wins even when that locale is not installed
// on this machine, since the language is what counts.
QString UserLocaleName()
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return QString::fromLocal8Bit(value);
    }
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    return current ? QString::fromLocal8Bit(current) : QString();
}

constexpr char16_t kReplacement = 0xFFFD;

}  // namespace

int AnsiCodePageForLanguage(const QString& language)
{
    const QString code = LanguagePart(language);
    if (code.isEmpty())
        return 1252;
    for (const LanguageCodePage& entry : kLanguageCodePages) {
        const QStringList codes = QString::fromLatin1(entry.languages).split(QLatin1Char(' '));
        if (codes.contains(code))
            return entry.codePage;
    }
    return 1252;
}

int AnsiCodePage()
{
    const int configured = Read(settings::kAnsiCodePage);
    if (configured > 0)
        return configured;
    return AnsiCodePageForLanguage(UserLocaleName());
}

CCodePageConverter::CCodePageConverter(int codePage)
    : codePage_(codePage)
{
    const QByteArray name = "CP" + QByteArray::number(codePage);
    iconv_t cd = iconv_open("UTF-16LE", name.constData());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        WriteLog(kLogFailure, "CCodePageConverter: code page %d not available, using 1252", codePage);
        codePage_ = 1252;
        cd = iconv_open("UTF-16LE", "CP1252");
    }
    if (cd != reinterpret_cast<iconv_t>(-1))
        handle_ = cd;
}

CCodePageConverter::~CCodePageConverter()
{
    if (handle_)
        iconv_close(static_cast<iconv_t>(handle_));
}

QString CCodePageConverter::Convert(const char* bytes, size_t length)
{
    if (length == 0)
        return {};
    if (!handle_) {
        // Without iconv at all, keep ASCII and mark everything else.
        QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
        for (size_t i = 0; i < length; ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            text[static_cast<qsizetype>(i)] = QChar(b < 0x80 ? char16_t(b) : kReplacement);
        }
        return text;
    }
    auto cd = static_cast<iconv_t>(handle_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh state for every text

    // One UTF-16 unit per byte covers every Windows code page; the buffer
    // grows should a code page ever give more.
    std::vector<char16_t> out(length + 16);
    size_t produced = 0;  // units
    char* in = const_cast<char*>(bytes);
    size_t inLeft = length;
    // With in == nullptr the call flushes what the converter holds back (a
    // base letter waiting for a combining mark).
    auto step = [&](bool flush) {
        char* outPtr = reinterpret_cast<char*>(out.data() + produced);
        size_t outLeft = (out.size() - produced) * sizeof(char16_t);
        const size_t result = flush ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                    : iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        produced = static_cast<size_t>(reinterpret_cast<char16_t*>(outPtr) - out.data());
        return result == static_cast<size_t>(-1) ? errno : 0;
    };
    while (inLeft > 0) {
        const int error = step(false);
        if (error == E2BIG) {
            out.resize(out.size() * 2);
        } else if (error == EILSEQ || error == EINVAL) {
            // An undefined byte, or an incomplete sequence at the end: what
            // came before it stands, the byte becomes a replacement mark.
            while (step(true) == E2BIG)
                out.resize(out.size() * 2);
            if (produced == out.size())
                out.resize(out.size() * 2);
            out[produced++] = kReplacement;
            ++in;
            --inLeft;
        } else if (error != 0) {
            break;
        }
    }
    while (step(true) == E2BIG)
        out.resize(out.size() * 2);
    return QString(reinterpret_cast<const QChar*>(out.data()), static_cast<qsizetype>(produced));
}

QString ConvertFromCodePage(int codePage, const char* bytes, size_t length)
{
    CCodePageConverter converter(codePage);
    return converter.Convert(bytes, length);
}
