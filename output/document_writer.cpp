#include "output/document_writer.h"

#include "output/cp932.h"

namespace output {

std::optional<std::string> encodeDocument(const Document& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return toCp932(text);
}

FsResult WriteDocument(const std::string& path, const Document& lines)
{
    const std::optional<std::string> bytes = encodeDocument(lines);
    if (!bytes) {
        return FsResult::failure("Shift_JISで保存できない文字があります。");
    }
    return fileSystem().replaceFile(path, *bytes);
}

}  // namespace output
