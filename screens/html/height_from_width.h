// The player or frame height that follows from a width, and the numbers the
// embed pages write.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace screens {

// A width or height text read as a number: optional spaces around it, an
// optional sign, digits with an optional decimal fraction ("320", " -5 ",
// "+320.6", ".5", "5."). Anything else is not a number.
std::optional<double> parseNumber(std::string_view text);

// The number written plainly: at most 15 significant digits, no trailing
// zeros, no point for whole numbers (304, 139.75).
std::string formatNumber(double value);

// width / 4 * 3 + 64, computed in that order; empty when the width is not a
// number.
std::string HeightFromWidth(std::string_view widthText);

// The text as a 16-bit whole number, rounded to the nearest, halves to the
// even neighbour (140.5 -> 140, 143.5 -> 144); nothing when the text is not
// a number or falls outside -32768..32767 after rounding.
std::optional<int> roundedInteger(std::string_view text);

}  // namespace screens
