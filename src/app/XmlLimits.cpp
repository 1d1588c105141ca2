#include "app/XmlLimits.h"

#include <cstring>
#include <string_view>

namespace {

// The first position after the end marker, or end when it is missing.
const char* SkipPast(const char* p, const char* end, std::string_view marker)
{
    const std::string_view rest(p, static_cast<size_t>(end - p));
    const size_t found = rest.find(marker);
    return found == std::string_view::npos ? end : p + found + marker.size();
}

bool StartsWith(const char* p, const char* end, std::string_view prefix)
{
    return static_cast<size_t>(end - p) >= prefix.size() && std::memcmp(p, prefix.data(), prefix.size()) == 0;
}

}  // namespace

bool XmlWithinLimits(const QByteArray& xml, const XmlLimits& limits)
{
    const char* p = xml.constData();
    const char* const end = p + xml.size();
    qsizetype tags = 0;
    qsizetype attributes = 0;
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p)));
        if (p == nullptr)
            break;
        if (++tags > limits.maxTags)
            return false;
        if (StartsWith(p, end, "<!--")) {
            p = SkipPast(p + 4, end, "-->");
            continue;
        }
        if (StartsWith(p, end, "<![CDATA[")) {
            p = SkipPast(p + 9, end, "]]>");
            continue;
        }
        qsizetype inTag = 0;
        for (++p; p < end && *p != '>' && *p != '<'; ++p) {
            if (*p == '"' || *p == '\'') {
                const void* close = std::memchr(p + 1, *p, static_cast<size_t>(end - p - 1));
                if (close == nullptr)
                    return true;  // an unterminated value: the parser refuses it
                p = static_cast<const char*>(close);
            } else if (*p == '=') {
                if (++inTag > limits.maxAttributesPerTag || ++attributes > limits.maxAttributes)
                    return false;
            }
        }
    }
    return true;
}
