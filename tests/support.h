// Shared helpers for the core tests: a program on the scripted platform,
// files in a fresh temporary folder, and bytes read back.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#ifdef _WIN32
#include <random>
#endif
#include <string>

#include "form/form.h"
#include "support/scripted_platform.h"

namespace testing_support {

class TempFolder {
public:
    TempFolder()
    {
#ifdef _WIN32
        // No mkdtemp on Windows: the first numbered name that is new.
        const auto base = std::filesystem::temp_directory_path();
        const auto tag = std::to_string(std::random_device{}());
        for (int i = 0; path_.empty(); ++i) {
            const auto candidate = base / ("kelvora-test-" + tag + "-" + std::to_string(i));
            if (std::filesystem::create_directory(candidate)) {
                path_ = candidate.string();
            }
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
#endif
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const
    {
        return path_;
    }
    // "a/b" names a file in a subfolder; on Windows with its separators.
    std::string file(const std::string& name) const
    {
#ifdef _WIN32
        std::string native = name;
        std::replace(native.begin(), native.end(), '/', '\\');
        return path_ + '\\' + native;
#else
        return path_ + "/" + name;
#endif
    }

private:
    std::string path_;
};

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Lines joined with CR LF after each, as every output file holds them.
inline std::string crlf(std::initializer_list<std::string> lines)
{
    std::string out;
    for (const std::string& l : lines) {
        out += l + "\r\n";
    }
    return out;
}

inline std::size_t filesIn(const std::string& folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

}  // namespace testing_support
