#ifdef _WIN32

#include "output/cp932_windows.h"

#include <windows.h>

namespace output::windows {

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

// Characters written directly: the input-method variants become the code
// page 932 characters they stand for, and the yen sign and overline take the
// single bytes 0x5C and 0x7E, exactly as the Linux build writes them.
struct Direct {
    char32_t from;
    char32_t to;  // the code page 932 character, or 0 when `bytes` is given
    const char* bytes;
};

constexpr Direct directs[] = {
    {U'\u301C', U'\uFF5E', nullptr},  // wave dash → fullwidth tilde (81 60)
    {U'\u2016', U'\u2225', nullptr},  // double vertical line → parallel to (81 61)
    {U'\u2212', U'\uFF0D', nullptr},  // minus sign → fullwidth hyphen-minus (81 7C)
    {U'\u2014', U'\u2015', nullptr},  // em dash → horizontal bar (81 5C)
    {U'\u00A2', U'\uFFE0', nullptr},  // cent sign → fullwidth cent (81 91)
    {U'\u00A3', U'\uFFE1', nullptr},  // pound sign → fullwidth pound (81 92)
    {U'\u00AC', U'\uFFE2', nullptr},  // not sign → fullwidth not (81 CA)
    {U'\u00A5', 0, "\x5C"},           // yen sign
    {U'\u203E', 0, "\x7E"},           // overline
};

// One character through code page 932 with best fit off: false when the
// code page has no place for it (Windows would put its default character).
bool appendOne(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return true;
    }
    for (const Direct& d : directs) {
        if (d.from == cp) {
            if (d.bytes != nullptr) {
                out += d.bytes;
                return true;
            }
            cp = d.to;
            break;
        }
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

}  // namespace

bool convertToCp932(std::string_view in, std::string& out, std::size_t& stoppedAt)
{
    out.clear();
    out.reserve(in.size());
    std::size_t at = 0;
    while (at < in.size()) {
        char32_t cp = 0;
        std::size_t length = 1;
        if (!decode(in, at, cp, length) || !appendOne(cp, out)) {
            stoppedAt = at;
            return false;
        }
        at += length;
    }
    return true;
}

}  // namespace output::windows

#endif  // _WIN32
