#include "app/CodePage.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"


#include <iconv.h>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace codepage {

namespace {

// "ru_RU.UTF-8", "sr@latin", "el-GR" -> "ru", "sr", "el".
QString LanguagePart(const QString& locale)
{
    qsizetype end = 0;
    while (end < locale.size() && locale[end].isLetter())
        ++end;
    return locale.left(end).toLower();
}

// The user's locale as setlocale(LC_ALL, "") takes it from the environment;
// the environment counts even when that locale is not installed here, since
// only the language matters.
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

}  // namespace

int AnsiCodePage()
{
    const int configured = Read(settings::kAnsiCodePage);
    if (configured > 0)
        return configured;
    return CodePageForLanguage(UserLocaleName());
}

int CodePageForLanguage(const QString& language)
{
    struct Entry
    {
        const char* language;
        int codePage;
    };
    static constexpr Entry kTable[] = {
        {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"sr", 1251}, {"mk", 1251},
        {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"ro", 1250}, {"hr", 1250},
        {"sl", 1250}, {"sq", 1250}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"he", 1255},
        {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"et", 1257}, {"lv", 1257}, {"lt", 1257},
        {"vi", 1258},
    };
    const QString code = LanguagePart(language);
    for (const Entry& entry : kTable) {
        if (code == QLatin1String(entry.language))
            return entry.codePage;
    }
    return 1252;
}

int CodePageForCharset(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0:    // ANSI
    case 1:    // default
        return ansiCodePage;
    case 2:    // symbol: glyph codes, read as Western text
        return 1252;
    case 77:   // Macintosh
        return 10000;
    case 128:  // Shift-JIS
        return 932;
    case 129:  // Hangul
        return 949;
    case 130:  // Johab
        return 1361;
    case 134:  // GB 2312
        return 936;
    case 136:  // Big5
        return 950;
    case 161:  // Greek
        return 1253;
    case 162:  // Turkish
        return 1254;
    case 163:  // Vietnamese
        return 1258;
    case 177:  // Hebrew
        return 1255;
    case 178:  // Arabic
        return 1256;
    case 186:  // Baltic
        return 1257;
    case 204:  // Cyrillic
        return 1251;
    case 222:  // Thai
        return 874;
    case 238:  // Eastern European
        return 1250;
    case 254:  // PC 437
    case 255:  // OEM
        return 437;
    default:
        return ansiCodePage;
    }
}

QByteArray IconvName(int codePage)
{
    switch (codePage) {
    case 437:
    case 850:
    case 852:
    case 866:
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
    case 1361:
        return "CP" + QByteArray::number(codePage);
    case 10000:
        return "MACINTOSH";
    case 20127:
        return "ASCII";
    case 28591:
        return "ISO-8859-1";
    case 65001:
        return "UTF-8";
    default:
        if (codePage >= 1250 && codePage <= 1258)
            return "CP" + QByteArray::number(codePage);
        return {};
    }
}

}  // namespace codepage

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1));

}  // namespace

struct CCodePageConverter::Descriptors
{
    iconv_t decoder = kNoDescriptor;
    iconv_t encoder = kNoDescriptor;
    bool decoderTried = false;
    bool encoderTried = false;
};

namespace {

iconv_t OpenDescriptor(const QByteArray& to, const QByteArray& from, int codePage)
{
    iconv_t descriptor = iconv_open(to.constData(), from.constData());
    if (descriptor == kNoDescriptor)
        WriteLog(kLogFailure, "CCodePageConverter: iconv_open(%s, %s) failed for code page %d",
                 to.constData(), from.constData(), codePage);
    return descriptor;
}

}  // namespace

CCodePageConverter::CCodePageConverter(int codePage)
    : codePage_(codePage), descriptors_(std::make_unique<Descriptors>())
{
    if (codepage::IconvName(codePage_).isEmpty()) {
        WriteLog(kLogFailure, "CCodePageConverter: code page %d not known, using 1252", codePage_);
        codePage_ = 1252;
    }
}

CCodePageConverter::~CCodePageConverter()
{
    if (descriptors_->decoder != kNoDescriptor)
        iconv_close(descriptors_->decoder);
    if (descriptors_->encoder != kNoDescriptor)
        iconv_close(descriptors_->encoder);
}

void CCodePageConverter::OpenDecoder()
{
    descriptors_->decoderTried = true;
    const QByteArray name = codepage::IconvName(codePage_);
    if (!name.isEmpty())
        descriptors_->decoder = OpenDescriptor("UTF-16LE", name, codePage_);
    if (descriptors_->decoder == kNoDescriptor) {
        WriteLog(kLogFailure, "CCodePageConverter: code page %d not available, reading as 1252", codePage_);
        codePage_ = 1252;
        descriptors_->decoder = OpenDescriptor("UTF-16LE", "CP1252", codePage_);
    }
}

QString CCodePageConverter::Decode(const char* data, qsizetype size)
{
    if (size <= 0)
        return {};
    bool ascii = true;
    for (qsizetype i = 0; i < size && ascii; ++i)
        ascii = static_cast<unsigned char>(data[i]) < 0x80;
    if (ascii && codePage_ != 1361)  // Johab is the one code page here that moves ASCII
        return QString::fromLatin1(data, size);

    if (!descriptors_->decoderTried)
        OpenDecoder();
    iconv_t decoder = descriptors_->decoder;
    if (decoder == kNoDescriptor) {
        // Without iconv at all: keep ASCII, mark everything else.
        QString text(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(data[i]);
            text[i] = b < 0x80 ? QChar(b) : QChar(QChar::ReplacementCharacter);
        }
        return text;
    }
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);  // a fresh state for every text

    // One UTF-16 unit per byte covers every Windows code page; the buffer
    // grows should one ever give more.
    std::vector<char16_t> out(static_cast<size_t>(size) + 16);
    size_t produced = 0;
    char* in = const_cast<char*>(data);
    size_t inLeft = static_cast<size_t>(size);
    // Without input the call hands out what the converter holds back (a base
    // letter waiting for a combining mark).
    auto step = [&](bool flush) {
        char* outPtr = reinterpret_cast<char*>(out.data() + produced);
        size_t outLeft = (out.size() - produced) * sizeof(char16_t);
        const size_t result = flush ? iconv(decoder, nullptr, nullptr, &outPtr, &outLeft)
                                    : iconv(decoder, &in, &inLeft, &outPtr, &outLeft);
        produced = static_cast<size_t>(reinterpret_cast<char16_t*>(outPtr) - out.data());
        return result == static_cast<size_t>(-1) ? errno : 0;
    };
    while (inLeft > 0) {
        const int error = step(false);
        if (error == E2BIG) {
            out.resize(out.size() * 2);
        } else if (error == EILSEQ || error == EINVAL) {
            // An undefined byte, or a sequence cut off at the end: what came
            // before it stands, the byte becomes a replacement mark.
            while (step(true) == E2BIG)
                out.resize(out.size() * 2);
            if (produced == out.size())
                out.resize(out.size() * 2);
            out[produced++] = QChar::ReplacementCharacter;
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

QByteArray CCodePageConverter::EncodeChar(char32_t character)
{
    if (character < 0x80 && codePage_ != 1361)
        return QByteArray(1, static_cast<char>(character));
    if (!descriptors_->encoderTried) {
        descriptors_->encoderTried = true;
        const QByteArray name = codepage::IconvName(codePage_);
        if (!name.isEmpty())
            descriptors_->encoder = OpenDescriptor(name, "UTF-32LE", codePage_);
    }
    iconv_t encoder = descriptors_->encoder;
    if (encoder == kNoDescriptor)
        return {};
    iconv(encoder, nullptr, nullptr, nullptr, nullptr);
    char32_t input = character;
    char* in = reinterpret_cast<char*>(&input);
    size_t inLeft = sizeof(input);
    char output[8];
    char* out = output;
    size_t outLeft = sizeof(output);
    if (iconv(encoder, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1))
        return {};
    // Stateful encodings may need a closing shift sequence.
    if (iconv(encoder, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1))
        return {};
    return QByteArray(output, static_cast<qsizetype>(sizeof(output) - outLeft));
}

QString ConvertFromCodePage(int codePage, const char* bytes, qsizetype size)
{
    CCodePageConverter converter(codePage);
    return converter.Decode(bytes, size);
}
