#pragma once

#include <gtest/gtest.h>

#include <string>

// What some tests need of the machine: an OpenGL 3.3 context (Mesa) or an X
// display (Xvfb). Our machines always have both, so ./test sets
// TAVREL_REQUIRE_GL=1 and TAVREL_REQUIRE_X=1 and a test that finds one
// missing fails with the reason; a run without them skips such a test
// instead. Either way the output says "OpenGL unavailable: ..." or
// "X display unavailable: ...", which is what ./test's summary looks for.
namespace testenv {

enum class Need { kOpenGL, kXDisplay };

// Whether this run demands it: its variable is 1.
bool Required(Need need);

// "OpenGL unavailable: <reason> (...)", saying whether that fails the test.
std::string MissingMessage(Need need, const std::string& reason);

// For a test that checks what it can and goes on without the need: a
// failure when it is required, otherwise the message on the output.
void NoteMissing(Need need, const std::string& reason);

// Whether the test's environment names an X display at all.
bool HasXDisplay();

}  // namespace testenv

// Ends the test without the need: failed when it is required, else skipped.
#define TAVREL_SKIP_WITHOUT(need, reason)                                          \
    do {                                                                           \
        const std::string tavrelMissing = ::testenv::MissingMessage(need, reason); \
        if (::testenv::Required(need))                                             \
            GTEST_FAIL() << tavrelMissing;                                         \
        GTEST_SKIP() << tavrelMissing;                                             \
    } while (false)
