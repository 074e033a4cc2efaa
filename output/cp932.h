// Shift_JIS (code page 932) text, as every output file holds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace output {

// The UTF-8 text in code page 932, or nothing when some character has no
// place in it. Only bytes that read back as the same text are written, so no
// character is ever written as another. The one exception is a short, fixed
// list: the variants that Japanese input methods produce for code page 932
// characters (wave dash, double vertical line, minus sign, em dash, cent,
// pound and not signs) are written as the characters they stand for.
[[nodiscard]] std::optional<std::string> toCp932(std::string_view utf8);

// The first character of the text that code page 932 cannot hold (as UTF-8;
// a byte that is not UTF-8 at all comes back as "\xEF\xBF\xBD"), or nothing.
[[nodiscard]] std::optional<std::string> firstUnencodable(std::string_view utf8);

// For a character code page 932 holds only in another form, that form (the
// full-width yen sign for the yen sign, the full-width macron for the
// overline), to suggest to the user; nothing for any other character.
[[nodiscard]] std::optional<std::string> fullWidthFor(std::string_view character);

}  // namespace output
