// What the shell reads from a program file: the icon at each size it shows
// without scaling another, and the version in Japanese. The test program is
// built with the same resource scripts as the programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/version.h"

namespace {

// The size of the icon image the shell picks from icon 1 for a size n.
SIZE iconPickedFor(int n)
{
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC group = ::FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    if (group == nullptr) {
        return {};
    }
    auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(self, group)));
    const int id = ::LookupIconIdFromDirectoryEx(directory, TRUE, n, n, LR_DEFAULTCOLOR);
    HRSRC icon = ::FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));  // RT_ICON
    if (icon == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(self, icon)));
    if (::SizeofResource(self, icon) > 24 && bytes[0] == 0x89 && bytes[1] == 'P') {
        // Stored as PNG: the size from its header.
        const auto word = [&](int at) {
            return static_cast<LONG>((std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
                                     (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]});
        };
        return {word(16), word(20)};
    }
    // A bitmap holds its image and its mask: twice the height.
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
    return {header->biWidth, header->biHeight / 2};
}

TEST(ProgramIcon, HoldsAnImageOfEachSizeTheShellShows)
{
    for (int n : {16, 32, 48, 256}) {
        const SIZE picked = iconPickedFor(n);
        EXPECT_EQ(picked.cx, n) << n;
        EXPECT_EQ(picked.cy, n) << n;
    }
}

std::wstring versionValue(const std::vector<BYTE>& info, const std::wstring& path)
{
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) {
        return {};
    }
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(ProgramVersion, IsTheProjectsVersionInJapanese)
{
    wchar_t file[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(nullptr, file, MAX_PATH), 0u);
    DWORD handle = 0;
    std::vector<BYTE> info(::GetFileVersionInfoSizeW(file, &handle));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(file, 0, static_cast<DWORD>(info.size()), info.data()));

    void* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(static_cast<const WORD*>(translation)[0], 0x0411);
    EXPECT_EQ(static_cast<const WORD*>(translation)[1], 1200);

    const std::wstring strings = L"\\StringFileInfo\\041104B0\\";
    EXPECT_EQ(versionValue(info, strings + L"ProductName"), L"kelvora");
    EXPECT_EQ(versionValue(info, strings + L"ProductVersion"), L"" KELVORA_VERSION);
    // The description is Japanese, read as such.
    const std::wstring description = versionValue(info, strings + L"FileDescription");
    EXPECT_NE(description.find(L"作成"), std::wstring::npos);

    auto* fixed = static_cast<VS_FIXEDFILEINFO*>(nullptr);
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(KELVORA_VERSION_MAJOR << 16 | KELVORA_VERSION_MINOR));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(KELVORA_VERSION_PATCH << 16));
}

}  // namespace
