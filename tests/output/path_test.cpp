// Paths as text, by the POSIX rules and by the Windows rules, in both builds:
// where a path starts, its folder and its names, joining, and where a link
// leads. Every file system and the save rule take their paths apart here.
#include <gtest/gtest.h>

#include <string>

#include "form/path.h"

namespace {

using path::Style;

constexpr Style posix = Style::posix;
constexpr Style windows = Style::windows;

const char* styleName(Style style)
{
    return style == posix ? "posix" : "windows";
}

TEST(Path, RootFolderAndNamesOfEachForm)
{
    const struct {
        Style style;
        std::string path;
        std::string root;
        std::string parent;
        std::string fileName;
        std::string lastName;
        std::string stripped;
    } rows[] = {
        {posix, "", "", ".", "", "", ""},
        {posix, "video.asx", "", ".", "video.asx", "video.asx", "video.asx"},
        {posix, "clips/video.asx", "", "clips", "video.asx", "video.asx", "clips/video.asx"},
        {posix, "/", "/", "/", "", "", "/"},
        {posix, "/video.asx", "/", "/", "video.asx", "video.asx", "/video.asx"},
        {posix, "/home/u/clips/", "/", "/home/u/clips", "", "clips", "/home/u/clips"},
        {posix, "/home/u/clips//", "/", "/home/u/clips/", "", "clips", "/home/u/clips"},
        {posix, "../up/video.asx", "", "../up", "video.asx", "video.asx", "../up/video.asx"},
        {posix, "/home/u/..", "/", "/home/u", "..", "..", "/home/u/.."},
        // A backslash is part of a name on POSIX systems.
        {posix, "/d/a\\b.asx", "/", "/d", "a\\b.asx", "a\\b.asx", "/d/a\\b.asx"},
        {posix, "C:\\clips\\", "", ".", "C:\\clips\\", "C:\\clips\\", "C:\\clips\\"},
        // A colon ends no name there either.
        {posix, "/mnt/c:", "/", "/mnt", "c:", "c:", "/mnt/c:"},
        // UTF-8 names: the bytes of 表 and ソ hold 0x5C in code page 932, never in UTF-8.
        {posix, "/home/u/表示/ソース.asx", "/", "/home/u/表示", "ソース.asx", "ソース.asx", "/home/u/表示/ソース.asx"},

        {windows, "", "", ".", "", "", ""},
        {windows, "video.asx", "", ".", "video.asx", "video.asx", "video.asx"},
        {windows, "clips\\video.asx", "", "clips", "video.asx", "video.asx", "clips\\video.asx"},
        {windows, "C:", "C:", "C:", "C:", "", "C:"},
        {windows, "C:\\", "C:\\", "C:\\", "", "", "C:"},
        {windows, "C:/", "C:/", "C:/", "", "", "C:"},
        {windows, "C:foo", "C:", ".", "C:foo", "C:foo", "C:foo"},
        {windows, "C:\\video.asx", "C:\\", "C:\\", "video.asx", "video.asx", "C:\\video.asx"},
        {windows, "C:\\Users\\u\\clips\\", "C:\\", "C:\\Users\\u\\clips", "", "clips", "C:\\Users\\u\\clips"},
        {windows, "C:\\Users/u\\clips/video.asx", "C:\\", "C:\\Users/u\\clips", "video.asx", "video.asx",
         "C:\\Users/u\\clips/video.asx"},
        {windows, "\\video.asx", "\\", "\\", "video.asx", "video.asx", "\\video.asx"},
        {windows, "\\\\server\\share", "\\\\server\\share", "\\\\server\\share", "share", "share", "\\\\server\\share"},
        {windows, "\\\\server\\share\\", "\\\\server\\share\\", "\\\\server\\share\\", "", "share",
         "\\\\server\\share"},
        {windows, "\\\\server\\share\\x", "\\\\server\\share\\", "\\\\server\\share\\", "x", "x",
         "\\\\server\\share\\x"},
        {windows, "//server/share/a/x", "//server/share/", "//server/share/a", "x", "x", "//server/share/a/x"},
        {windows, "..\\up\\video.asx", "", "..\\up", "video.asx", "video.asx", "..\\up\\video.asx"},
        {windows, "D:\\動画\\表.asx", "D:\\", "D:\\動画", "表.asx", "表.asx", "D:\\動画\\表.asx"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(styleName(r.style)) + " \"" + r.path + "\"");
        EXPECT_EQ(path::root(r.path, r.style), r.root);
        EXPECT_EQ(path::isAbsolute(r.path, r.style), !r.root.empty());
        EXPECT_EQ(path::isRoot(r.path, r.style), !r.path.empty() && r.root == r.path);
        EXPECT_EQ(path::parent(r.path, r.style), r.parent);
        EXPECT_EQ(path::fileName(r.path, r.style), r.fileName);
        EXPECT_EQ(path::lastName(r.path, r.style), r.lastName);
        EXPECT_EQ(path::stripTrailingSeparators(r.path, r.style), r.stripped);
        EXPECT_EQ(path::hasTrailingSeparator(r.path, r.style), r.fileName.empty() && !r.path.empty());
    }
}

TEST(Path, JoiningPutsOneSeparatorBetween)
{
    const struct {
        Style style;
        const char* folder;
        const char* name;
        const char* joined;
    } rows[] = {
        {posix, "/home/u", "bb", "/home/u/bb"},
        {posix, "/", "bb", "/bb"},
        {posix, "/home/u/", "bb", "/home/u/bb"},
        {posix, "", "bb", "/bb"},
        {posix, "clips", "表示.htm", "clips/表示.htm"},
        // A Windows root stays whole wherever it is joined.
        {posix, "C:\\", "bb", "C:\\bb"},
        {windows, "C:\\Users\\u", "bb", "C:\\Users\\u\\bb"},
        {windows, "C:\\", "bb", "C:\\bb"},
        {windows, "C:/", "bb", "C:/bb"},
        {windows, "C:", "bb", "C:\\bb"},
        {windows, "\\\\server\\share", "bb", "\\\\server\\share\\bb"},
        {windows, "\\\\server\\share\\", "bb", "\\\\server\\share\\bb"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(path::join(r.folder, r.name, r.style), r.joined) << styleName(r.style) << " " << r.folder;
    }
}

TEST(Path, ALinkLeadsFromItsOwnFolder)
{
    const struct {
        Style style;
        const char* link;
        const char* target;
        const char* destination;
    } rows[] = {
        {posix, "/home/u/page.htm", "real.htm", "/home/u/real.htm"},
        {posix, "/home/u/page.htm", "../v/real.htm", "/home/u/../v/real.htm"},
        {posix, "/home/u/page.htm", "/srv/real.htm", "/srv/real.htm"},
        {posix, "page.htm", "real.htm", "real.htm"},
        {posix, "/page.htm", "real.htm", "/real.htm"},
        // On POSIX systems "C:\x" is a name in the link's folder.
        {posix, "/home/u/page.htm", "C:\\real.htm", "/home/u/C:\\real.htm"},
        {windows, "C:\\u\\page.htm", "real.htm", "C:\\u\\real.htm"},
        {windows, "C:\\u\\page.htm", "..\\v\\real.htm", "C:\\u\\..\\v\\real.htm"},
        {windows, "C:\\u/page.htm", "real.htm", "C:\\u/real.htm"},
        {windows, "C:\\u\\page.htm", "D:\\real.htm", "D:\\real.htm"},
        {windows, "C:\\u\\page.htm", "D:real.htm", "D:real.htm"},
        {windows, "C:\\u\\page.htm", "\\real.htm", "\\real.htm"},
        {windows, "C:\\u\\page.htm", "\\\\server\\share\\real.htm", "\\\\server\\share\\real.htm"},
        {windows, "\\\\server\\share\\page.htm", "表.htm", "\\\\server\\share\\表.htm"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(path::linkDestination(r.link, r.target, r.style), r.destination)
            << styleName(r.style) << " " << r.link << " -> " << r.target;
    }
}

TEST(Path, SeparatorsOfEachSystem)
{
    EXPECT_EQ(path::separator(posix), '/');
    EXPECT_EQ(path::separator(windows), '\\');
    EXPECT_FALSE(path::isSeparator('\\', posix));
    EXPECT_TRUE(path::isSeparator('/', windows));
    EXPECT_EQ(path::styleSeparatedBy('\\'), windows);
    EXPECT_EQ(path::styleSeparatedBy('/'), posix);
    EXPECT_EQ(path::lastSeparator("C:\\a/b\\c", windows), 6u);
    EXPECT_EQ(path::lastSeparator("C:\\a/b\\c", posix), 4u);
    EXPECT_EQ(path::withOwnSeparators("C:/Program Files/kelvora", windows), "C:\\Program Files\\kelvora");
    EXPECT_EQ(path::withOwnSeparators("/a\\b/c", posix), "/a\\b/c");
#ifdef _WIN32
    EXPECT_EQ(path::native, windows);
#else
    EXPECT_EQ(path::native, posix);
#endif
}

}  // namespace
