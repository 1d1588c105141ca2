#pragma once

#include "model/Frame.h"
#include "model/FrameSettings.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Test helpers that walk the settings register, so that a setting added to
// it is set, copied, saved and compared without a test naming it.

// An object with every stored setting away from a new object's value:
// ints within their range, distinct strings, a rectangle, a colour, rich
// text and two 2 x 1 background frames (durations 40 and 60).
std::unique_ptr<CFrame> ObjectWithEverySettingChanged();

// The names of the settings that `select` picks and in which a and b differ.
std::vector<std::string> DifferingSettings(const CFrame& a, const CFrame& b,
                                           const std::function<bool(const FrameSetting&)>& select);
std::vector<std::string> DifferingSettings(const CFrame& a, const CFrame& b);
