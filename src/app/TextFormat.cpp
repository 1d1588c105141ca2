#include "app/TextFormat.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace {

// What one conversion takes from the argument list, as QString::vasprintf
// reads it.
enum class ArgKind : uint8_t
{
    kInt,  // also char and short, promoted; %c and %lc
    kLong,
    kLongLong,
    kSize,
    kPtrDiff,
    kDouble,
    kLongDouble,
    kString,      // const char*, UTF-8
    kWideString,  // %ls: const ushort*
    kPointer,
};

enum class Length : uint8_t
{
    kNone,  // also h and hh: the argument is an int either way
    kL,
    kLL,
    kLongDouble,
    kZ,
    kT,
};

struct Conversion
{
    bool starWidth = false;
    bool starPrecision = false;
    ArgKind kind = ArgKind::kInt;

    friend bool operator==(const Conversion&, const Conversion&) = default;
};

class CConversionParser
{
public:
    explicit CConversionParser(const QString& text) : text_(text) {}

    // The conversions in order; nothing for a text that must not be formatted.
    std::optional<std::vector<Conversion>> Parse()
    {
        std::vector<Conversion> conversions;
        for (;;) {
            while (Peek() != 0 && Peek() != u'%')
                ++pos_;
            if (Peek() == 0)
                return conversions;
            ++pos_;
            if (Peek() == u'%') {
                ++pos_;
                continue;
            }
            const std::optional<Conversion> conversion = One();
            if (!conversion)
                return std::nullopt;
            conversions.push_back(*conversion);
        }
    }

private:
    // The formatter works on the UTF-8 bytes up to the first NUL: the text
    // ends there for it, and so here.
    char16_t Peek() const { return pos_ < text_.size() ? text_[pos_].unicode() : char16_t(0); }

    static bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

    // Digits of a width or precision; false when the number is too large.
    bool Number()
    {
        int value = 0;
        while (IsDigit(Peek())) {
            value = value * 10 + (Peek() - u'0');
            if (value > kMaxFieldNumber)
                return false;
            ++pos_;
        }
        return true;
    }

    // One conversion after its '%'.
    std::optional<Conversion> One()
    {
        Conversion conversion;
        while (Peek() == u'-' || Peek() == u'+' || Peek() == u' ' || Peek() == u'#' || Peek() == u'0'
               || Peek() == u'\'')
            ++pos_;
        if (Peek() == u'*') {
            conversion.starWidth = true;
            ++pos_;
        } else if (!Number()) {
            return std::nullopt;
        }
        if (Peek() == u'.') {
            ++pos_;
            if (Peek() == u'*') {
                conversion.starPrecision = true;
                ++pos_;
            } else if (!Number()) {
                return std::nullopt;
            }
        }
        Length length = Length::kNone;
        switch (Peek()) {
        case u'h':
            ++pos_;
            if (Peek() == u'h')
                ++pos_;
            break;
        case u'l':
            ++pos_;
            length = Length::kL;
            if (Peek() == u'l') {
                ++pos_;
                length = Length::kLL;
            }
            break;
        case u'L': ++pos_; length = Length::kLongDouble; break;
        // No "j" (the formatter reads nothing for "%ju") and no "Z": what
        // the formatter might read differently from here is refused.
        case u'z': ++pos_; length = Length::kZ; break;
        case u't': ++pos_; length = Length::kT; break;
        default: break;
        }
        const char16_t specifier = Peek();
        ++pos_;
        switch (specifier) {
        case u'd':
        case u'i':
        case u'o':
        case u'u':
        case u'x':
        case u'X':
            switch (length) {
            case Length::kNone: conversion.kind = ArgKind::kInt; break;
            case Length::kL: conversion.kind = ArgKind::kLong; break;
            case Length::kLL: conversion.kind = ArgKind::kLongLong; break;
            case Length::kZ: conversion.kind = ArgKind::kSize; break;
            case Length::kT: conversion.kind = ArgKind::kPtrDiff; break;
            case Length::kLongDouble: return std::nullopt;
            }
            return conversion;
        case u'e':
        case u'E':
        case u'f':
        case u'F':
        case u'g':
        case u'G':
        case u'a':
        case u'A':
            if (length == Length::kNone || length == Length::kL)
                conversion.kind = ArgKind::kDouble;
            else if (length == Length::kLongDouble)
                conversion.kind = ArgKind::kLongDouble;
            else
                return std::nullopt;
            return conversion;
        case u'c':
            if (length != Length::kNone && length != Length::kL)
                return std::nullopt;
            conversion.kind = ArgKind::kInt;
            return conversion;
        case u's':
            if (length == Length::kNone)
                conversion.kind = ArgKind::kString;
            else if (length == Length::kL)
                conversion.kind = ArgKind::kWideString;
            else
                return std::nullopt;
            return conversion;
        case u'p':
            if (length != Length::kNone)
                return std::nullopt;
            conversion.kind = ArgKind::kPointer;
            return conversion;
        default:
            // %n writes through its argument; anything else is unknown or
            // the text ended inside the conversion.
            return std::nullopt;
        }
    }

    const QString& text_;
    qsizetype pos_ = 0;
};

}  // namespace

bool ConversionsMatch(const QString& text, const QString& reference)
{
    const std::optional<std::vector<Conversion>> own = CConversionParser(text).Parse();
    if (!own)
        return false;
    const std::optional<std::vector<Conversion>> expected = CConversionParser(reference).Parse();
    return expected && *own == *expected;
}
