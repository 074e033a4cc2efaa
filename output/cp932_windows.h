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
[[nodiscard]] bool convertToCp932(std::string_view in, std::string& out, std::size_t& stoppedAt);

}  // namespace output::windows

#endif  // _WIN32
