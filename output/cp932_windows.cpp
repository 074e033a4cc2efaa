// Code page 932 through the Windows API (Windows build).
#include "output/cp932_converter.h"

#include <windows.h>

namespace output {

namespace {

// One character of strict UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF); false for anything else, as the Linux converter refuses it.
bool decode(std::string_view in, std::size_t at, char32_t& cp, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(in[at + i]); };
    const unsigned char lead = byte(0);
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        length = 1;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        cp = lead & 0x1F;
        length = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        cp = lead & 0x0F;
        length = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        cp = lead & 0x07;
        length = 4;
        min = 0x10000;
    } else {
        return false;
    }
    if (at + length > in.size()) {
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return false;
        }
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    return cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

// One character through code page 932 with best fit off: false when the
// code page has no place for it (Windows would put its default character).
bool appendOne(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return true;
    }
    wchar_t wide[2];
    int units = 1;
    if (cp >= 0x10000) {
        wide[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        units = 2;
    } else {
        wide[0] = static_cast<wchar_t>(cp);
    }
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int n =
        ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, units, bytes, sizeof bytes, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) {
        return false;
    }
    out.append(bytes, static_cast<std::size_t>(n));
    return true;
}

// Converts the whole UTF-8 input with the same results as the Linux build.
// Best fit is off: a character the code page does not hold is refused, not
// written as a look-alike.
bool convertToCp932(std::string_view in, std::string& out)
{
    out.clear();
    out.reserve(in.size());
    std::size_t at = 0;
    while (at < in.size()) {
        char32_t cp = 0;
        std::size_t length = 1;
        if (!decode(in, at, cp, length) || !appendOne(cp, out)) {
            return false;
        }
        at += length;
    }
    return true;
}

// Code page 932 bytes back to UTF-8, to check what was written reads back.
bool convertFromCp932(std::string_view in, std::string& out)
{
    out.clear();
    if (in.empty()) {
        return true;
    }
    const int units =
        ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (units <= 0) {
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), wide.data(), units);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(bytes));
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
    return true;
}

}  // namespace

// The system's conversion keeps nothing open.
struct Cp932Converter::Open {};

Cp932Converter::Cp932Converter() = default;

Cp932Converter::~Cp932Converter() = default;

bool Cp932Converter::encode(std::string_view utf8, std::string& bytes)
{
    return convertToCp932(utf8, bytes);
}

bool Cp932Converter::decode(std::string_view bytes, std::string& utf8)
{
    return convertFromCp932(bytes, utf8);
}

}  // namespace output
