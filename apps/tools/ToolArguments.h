#pragma once

#include "apps/common/QuotedName.h"
#include "platform/uikit/UIColor.h"

#include <optional>
#include <string>
#include <string_view>

// Readers for the tools' option values. Each takes the whole text or nothing:
// a value with anything left over is a mistake worth reporting, not a number
// to guess at.

// A decimal number that is finite ("1.5", "-2", "1e1").
std::optional<double> parseFiniteNumber(std::string_view text);
// A non-negative decimal integer that fits an unsigned long.
std::optional<unsigned long> parseUnsigned(std::string_view text);

enum class HexAlpha { Forbidden, Allowed };
// "#RRGGBB", or with HexAlpha::Allowed also "#RRGGBBAA"; an RGB colour with
// components on the 1/255 grid, opaque unless the alpha digits say otherwise.
std::optional<UIColor> parseHexColor(std::string_view text, HexAlpha alpha);

// Writes "program: message" as one line on standard error, for input that
// cannot be used (a picture that does not read); answers 2, the status for
// bad arguments and unreadable input alike.
int reportInputError(std::string_view program, const std::string& message);
