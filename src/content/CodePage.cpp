#include "content/CodePage.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"

#include <QLocale>

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace codepage {

int AnsiCodePage()
{
    const int configured = Read(settings::kAnsiCodePage);
    if (configured > 0)
        return configured;
    return CodePageForLanguage(QLocale::system().name());
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
    const QString code = language.left(2).toLower();
    if (language.size() > 2 && language[2].isLetter())
        return 1252;  // a three-letter language code matches none of the table
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
}

CCodePageConverter::~CCodePageConverter()
{
    if (descriptors_->decoder != kNoDescriptor)
        iconv_close(descriptors_->decoder);
    if (descriptors_->encoder != kNoDescriptor)
        iconv_close(descriptors_->encoder);
}

QString CCodePageConverter::Decode(const char* data, qsizetype size)
{
    QString result;
    if (size <= 0)
        return result;
    bool ascii = true;
    for (qsizetype i = 0; i < size && ascii; ++i)
        ascii = static_cast<unsigned char>(data[i]) < 0x80;
    if (ascii && codePage_ != 1361)  // Johab is the one code page here that moves ASCII
        return QString::fromLatin1(data, size);

    if (!descriptors_->decoderTried) {
        descriptors_->decoderTried = true;
        QByteArray name = codepage::IconvName(codePage_);
        if (name.isEmpty())
            name = "CP1252";
        descriptors_->decoder = OpenDescriptor("UTF-16LE", name, codePage_);
    }
    iconv_t decoder = descriptors_->decoder;
    if (decoder == kNoDescriptor)
        return QString::fromLatin1(data, size);

    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    result.reserve(size);
    char* in = const_cast<char*>(data);
    size_t inLeft = static_cast<size_t>(size);
    char16_t buffer[512];
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof(buffer);
        const size_t converted = iconv(decoder, &in, &inLeft, &out, &outLeft);
        result.append(reinterpret_cast<const QChar*>(buffer),
                      static_cast<qsizetype>((sizeof(buffer) - outLeft) / sizeof(char16_t)));
        if (converted != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // An invalid byte, or a multi-byte sequence cut off at the end.
        result.append(QChar(QChar::ReplacementCharacter));
        ++in;
        --inLeft;
        iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
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
