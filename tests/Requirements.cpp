#include "Requirements.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testenv {

namespace {

const char* VariableOf(Need need) { return need == Need::kOpenGL ? "TAVREL_REQUIRE_GL" : "TAVREL_REQUIRE_X"; }

}  // namespace

bool Required(Need need)
{
    const char* value = std::getenv(VariableOf(need));
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::string MissingMessage(Need need, const std::string& reason)
{
    std::string message = need == Need::kOpenGL ? "OpenGL unavailable: " : "X display unavailable: ";
    message += reason;
    message += Required(need) ? " (a failure because " : " (not a failure because ";
    message += VariableOf(need);
    message += Required(need) ? "=1)" : " is not 1)";
    return message;
}

void NoteMissing(Need need, const std::string& reason)
{
    if (Required(need)) {
        ADD_FAILURE() << MissingMessage(need, reason);
        return;
    }
    std::printf("%s\n", MissingMessage(need, reason).c_str());
    std::fflush(stdout);
}

bool HasXDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

}  // namespace testenv
