#include "output/cp932.h"

#include <algorithm>
#include <iterator>

#include "output/cp932_converter.h"

namespace output {

namespace {

std::size_t utf8Length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// The characters Japanese input methods type for code page 932 characters
// that Unicode also holds elsewhere, and those characters. They are written
// as what they stand for; no other character is ever written as another.
struct Variant {
    std::string_view typed;
    std::string_view written;
};

constexpr Variant variants[] = {
    {"\u301C", "\uFF5E"},  // wave dash → fullwidth tilde (81 60)
    {"\u2016", "\u2225"},  // double vertical line → parallel to (81 61)
    {"\u2212", "\uFF0D"},  // minus sign → fullwidth hyphen-minus (81 7C)
    {"\u2014", "\u2015"},  // em dash → horizontal bar (81 5C)
    {"\u00A2", "\uFFE0"},  // cent sign → fullwidth cent (81 91)
    {"\u00A3", "\uFFE1"},  // pound sign → fullwidth pound (81 92)
    {"\u00AC", "\uFFE2"},  // not sign → fullwidth not (81 CA)
};

// The text with every input-method variant replaced by what it stands for.
std::string standingFor(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const std::size_t length = std::min(utf8Length(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
        const std::string_view character = utf8.substr(at, length);
        const auto variant = std::find_if(std::begin(variants), std::end(variants),
                                          [&](const Variant& v) { return v.typed == character; });
        out += variant == std::end(variants) ? character : variant->written;
        at += length;
    }
    return out;
}

// The bytes of the text, only if they read back as the same text: a
// converter that quietly puts a look-alike in place of a character it does
// not hold (the yen sign as a backslash) is refused like any other.
bool encodeExactly(Cp932Converter& converter, std::string_view utf8, std::string& bytes)
{
    const std::string text = standingFor(utf8);
    std::string back;
    return converter.encode(text, bytes) && converter.decode(bytes, back) && back == text;
}

}  // namespace

std::optional<std::string> toCp932(std::string_view utf8)
{
    Cp932Converter converter;
    std::string out;
    if (!encodeExactly(converter, utf8, out)) {
        return std::nullopt;
    }
    return out;
}

namespace {

// One well-formed UTF-8 character: the right number of continuation bytes,
// no overlong form, no surrogate, nothing beyond U+10FFFF.
bool isWholeCharacter(const std::string& c, std::size_t length)
{
    const auto byte = [&c](std::size_t i) { return static_cast<unsigned char>(c[i]); };
    if (c.size() != length || (length == 1 && byte(0) >= 0x80)) {
        return false;
    }
    char32_t cp = length == 1 ? byte(0) : length == 2 ? byte(0) & 0x1F : length == 3 ? byte(0) & 0x0F : byte(0) & 0x07;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return false;
        }
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return cp >= smallest[length] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

}  // namespace

std::optional<std::string> firstUnencodable(std::string_view utf8)
{
    Cp932Converter converter;
    std::string out;
    if (encodeExactly(converter, utf8, out)) {
        return std::nullopt;
    }
    // Each character alone, to name the first that does not come through.
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = utf8Length(static_cast<unsigned char>(utf8[at]));
        const std::string character(utf8.substr(at, length));
        if (!isWholeCharacter(character, length)) {
            // Not a character at all: a byte sequence that is not UTF-8.
            return std::string("\xEF\xBF\xBD");
        }
        if (!encodeExactly(converter, character, out)) {
            return character;
        }
        at += length;
    }
    return std::nullopt;
}

std::optional<std::string> fullWidthFor(std::string_view character)
{
    // Code page 932 holds these two only in their full-width forms; their
    // half-width places belong to the backslash and the tilde.
    if (character == "\u00A5") {
        return std::string("\uFFE5");
    }
    if (character == "\u203E") {
        return std::string("\uFFE3");
    }
    return std::nullopt;
}

}  // namespace output
