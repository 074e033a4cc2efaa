// The system's own conversion between UTF-8 and code page 932, which
// cp932.cpp checks and completes: iconv on POSIX systems (cp932_posix.cpp),
// the Windows API in the Windows build (cp932_windows.cpp).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace output {

class Cp932Converter {
public:
    Cp932Converter();
    ~Cp932Converter();
    Cp932Converter(const Cp932Converter&) = delete;
    Cp932Converter& operator=(const Cp932Converter&) = delete;

    // Each converts the whole input, or fails on the first character it
    // cannot take.
    [[nodiscard]] bool encode(std::string_view utf8, std::string& bytes);
    [[nodiscard]] bool decode(std::string_view bytes, std::string& utf8);

private:
    struct Open;  // what the system keeps open for the conversion
    std::unique_ptr<Open> open_;
};

}  // namespace output
