// Paths as text: the one place that knows where a path's names begin and
// end. Paths are UTF-8, whose multi-byte characters never hold a byte that
// looks like a separator. Every rule takes the system whose paths it reads,
// so that both systems' rules run in every build; the default is this one's.
// It lies in the lowest layer because the save dialog's default extension
// (form) needs it as much as the file systems (output) do.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace path {

// POSIX paths have one separator, '/'. Windows paths take '/' as well as
// its own '\', and begin with a drive ("C:", "C:\") or a share
// ("\\server\share\").
enum class Style { posix, windows };

#ifdef _WIN32
inline constexpr Style native = Style::windows;
#else
inline constexpr Style native = Style::posix;
#endif

// The separator put between names.
constexpr char separator(Style style = native)
{
    return style == Style::windows ? '\\' : '/';
}

constexpr bool isSeparator(char c, Style style = native)
{
    return c == '/' || (style == Style::windows && c == '\\');
}

// The style whose own separator this is.
constexpr Style styleSeparatedBy(char separator)
{
    return separator == '\\' ? Style::windows : Style::posix;
}

// Where the last separator stands, or std::string_view::npos.
std::size_t lastSeparator(std::string_view path, Style style = native);

// What the path starts from: "/" on POSIX; on Windows "C:\", "C:" (the
// drive's current folder), "\" (the current drive's root) or
// "\\server\share\". Empty for a relative path.
std::string_view root(std::string_view path, Style style = native);
bool isAbsolute(std::string_view path, Style style = native);
// Nothing but a root: "/", "C:\", "C:", "\\server\share".
bool isRoot(std::string_view path, Style style = native);

bool hasTrailingSeparator(std::string_view path, Style style = native);
// The path without the separators it ends in, short of its first character:
// "/a/" gives "/a", "/" stays, and "C:\" gives the drive "C:".
std::string stripTrailingSeparators(std::string_view path, Style style = native);

// The folder that holds the path's last name: "/a" for "/a/b", the root
// with its separator for a name right under it ("/", "C:\"), "." for a
// bare name. A root is its own.
std::string parent(std::string_view path, Style style = native);
// What follows the last separator: the whole path when it has none, empty
// when it ends in one.
std::string fileName(std::string_view path, Style style = native);
// The name a dropped path stands for: its last name, separators at the end
// left out ("b" for "/a/b/", "share" for "\\server\share\"). Empty for
// what names no folder: "/", and on Windows a drive ("C:\", or any name
// that ends in a colon).
std::string lastName(std::string_view path, Style style = native);

// The folder's path for a name inside it: folder, separator, name. A folder
// that ends in a separator already (a root) gets no second one; either
// system's separator counts there, so that a Windows root stays whole
// wherever it is joined.
std::string join(std::string_view folder, std::string_view name, Style style = native);

// The path with each separator written as the style's own ("C:/a" becomes
// "C:\a" on Windows).
std::string withOwnSeparators(std::string_view path, Style style = native);

// Where a link leads: an absolute target as it is, a relative one in the
// link's own folder. The folder is kept as written, so that the system
// resolves "..", and links on the way, as it resolves them for the link
// itself.
std::string linkDestination(std::string_view link, std::string_view target, Style style = native);

}  // namespace path
