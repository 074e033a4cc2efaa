// Code page 932 through the system's own conversion (Windows build).
#pragma once

#ifdef _WIN32

#include <cstddef>
#include <string>
#include <string_view>

namespace output::windows {

// Converts the whole UTF-8 input with the same results as the Linux build;
// on failure, `stoppedAt` is the offset of the first character that code
// page 932 cannot hold or of the first byte that is not UTF-8.
// Best fit is off: a character the code page does not hold is refused, not
// written as a look-alike.
[[nodiscard]] bool convertToCp932(std::string_view in, std::string& out, std::size_t& stoppedAt);

// Code page 932 bytes back to UTF-8, to check what was written reads back.
[[nodiscard]] bool convertFromCp932(std::string_view in, std::string& out);

}  // namespace output::windows

#endif  // _WIN32
