#include "form/path.h"

namespace path {

namespace {

// The first separator at or after `from`, or npos.
std::size_t nextSeparator(std::string_view path, std::size_t from, Style style)
{
    for (std::size_t at = from; at < path.size(); ++at) {
        if (isSeparator(path[at], style)) {
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::size_t lastSeparator(std::string_view path, Style style)
{
    for (std::size_t at = path.size(); at > 0; --at) {
        if (isSeparator(path[at - 1], style)) {
            return at - 1;
        }
    }
    return std::string_view::npos;
}

std::string_view root(std::string_view path, Style style)
{
    if (path.empty()) {
        return {};
    }
    if (style == Style::posix) {
        return path[0] == '/' ? path.substr(0, 1) : std::string_view();
    }
    if (path.size() >= 2 && path[1] == ':') {
        return path.substr(0, path.size() >= 3 && isSeparator(path[2], style) ? 3 : 2);
    }
    if (path.size() >= 2 && isSeparator(path[0], style) && isSeparator(path[1], style)) {
        // "\\server\share\": the server's name, then the share's.
        const std::size_t server = nextSeparator(path, 2, style);
        const std::size_t share = server == std::string_view::npos ? server : nextSeparator(path, server + 1, style);
        return share == std::string_view::npos ? path : path.substr(0, share + 1);
    }
    return isSeparator(path[0], style) ? path.substr(0, 1) : std::string_view();
}

bool isAbsolute(std::string_view path, Style style)
{
    return !root(path, style).empty();
}

bool isRoot(std::string_view path, Style style)
{
    return !path.empty() && root(path, style).size() == path.size();
}

bool hasTrailingSeparator(std::string_view path, Style style)
{
    return !path.empty() && isSeparator(path.back(), style);
}

std::string stripTrailingSeparators(std::string_view path, Style style)
{
    while (path.size() > 1 && isSeparator(path.back(), style)) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

std::string parent(std::string_view path, Style style)
{
    if (isRoot(path, style)) {
        return std::string(path);
    }
    const std::size_t slash = lastSeparator(path, style);
    if (slash == std::string_view::npos) {
        return ".";
    }
    // A separator that belongs to the root stays with it.
    const bool inRoot = slash < root(path, style).size();
    return std::string(path.substr(0, inRoot ? slash + 1 : slash));
}

std::string fileName(std::string_view path, Style style)
{
    const std::size_t slash = lastSeparator(path, style);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string lastName(std::string_view path, Style style)
{
    const std::string name = fileName(stripTrailingSeparators(path, style), style);
    // A root leaves an empty name; on Windows a drive leaves "C:".
    return style == Style::windows && !name.empty() && name.back() == ':' ? "" : name;
}

std::string join(std::string_view folder, std::string_view name, Style style)
{
    std::string joined(folder);
    if (!hasTrailingSeparator(folder, Style::windows)) {
        joined += separator(style);
    }
    joined += name;
    return joined;
}

std::string withOwnSeparators(std::string_view path, Style style)
{
    std::string written(path);
    for (char& c : written) {
        if (isSeparator(c, style)) {
            c = separator(style);
        }
    }
    return written;
}

std::string linkDestination(std::string_view link, std::string_view target, Style style)
{
    if (isAbsolute(target, style)) {
        return std::string(target);
    }
    const std::size_t slash = lastSeparator(link, style);
    if (slash == std::string_view::npos) {
        return std::string(target);
    }
    std::string destination(link.substr(0, slash + 1));
    destination += target;
    return destination;
}

}  // namespace path
