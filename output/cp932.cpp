#include "output/cp932.h"

#ifdef _WIN32
#include "output/cp932_windows.h"
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <stdexcept>

namespace output {

namespace {

#ifdef _WIN32
// The Windows build converts through the system's code page 932.
class Converter {
public:
    bool convert(std::string_view in, std::string& out, std::size_t& stoppedAt)
    {
        return windows::convertToCp932(in, out, stoppedAt);
    }
};
#else
// One converter per call keeps the function safe to use from anywhere;
// opening one is cheap next to a screen's event.
class Converter {
public:
    Converter() : cd_(iconv_open("CP932", "UTF-8"))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("the CP932 converter of iconv is missing");
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; on failure, `stoppedAt` is the offset of the
    // byte the converter could not take.
    bool convert(std::string_view in, std::string& out, std::size_t& stoppedAt)
    {
        out.clear();
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        while (srcLeft > 0) {
            if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) {
                    const std::size_t used = out.size() - dstLeft;
                    out.resize(out.size() * 2);
                    dst = out.data() + used;
                    dstLeft = out.size() - used;
                    continue;
                }
                stoppedAt = in.size() - srcLeft;
                return false;
            }
        }
        out.resize(out.size() - dstLeft);
        return true;
    }

private:
    iconv_t cd_;
};
#endif

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

}  // namespace

std::optional<std::string> toCp932(std::string_view utf8)
{
    Converter converter;
    std::string out;
    std::size_t stoppedAt = 0;
    if (!converter.convert(utf8, out, stoppedAt)) {
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
    Converter converter;
    std::string out;
    std::size_t at = 0;
    if (converter.convert(utf8, out, at)) {
        return std::nullopt;
    }
    const std::size_t length = utf8Length(static_cast<unsigned char>(utf8[at]));
    std::string character(utf8.substr(at, length));
    if (!isWholeCharacter(character, length)) {
        // Not a character at all: a byte sequence that is not UTF-8.
        return std::string("\xEF\xBF\xBD");
    }
    return character;
}

}  // namespace output
