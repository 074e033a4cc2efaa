// Code page 932 through iconv (POSIX systems).
#include "output/cp932_converter.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace output {

namespace {

// One converter per direction for each call keeps the functions safe to use
// from anywhere; opening them is cheap next to a screen's event.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("the CP932 converter of iconv is missing");
        }
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts the whole input, or fails on the first byte it cannot take.
    bool convert(std::string_view in, std::string& out)
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
                return false;
            }
        }
        out.resize(out.size() - dstLeft);
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

struct Cp932Converter::Open {
    Iconv toCp932{"CP932", "UTF-8"};
    Iconv fromCp932{"UTF-8", "CP932"};
};

Cp932Converter::Cp932Converter() : open_(std::make_unique<Open>()) {}

Cp932Converter::~Cp932Converter() = default;

bool Cp932Converter::encode(std::string_view utf8, std::string& bytes)
{
    return open_->toCp932.convert(utf8, bytes);
}

bool Cp932Converter::decode(std::string_view bytes, std::string& utf8)
{
    return open_->fromCp932.convert(bytes, utf8);
}

}  // namespace output
