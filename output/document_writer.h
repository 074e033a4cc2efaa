// Documents and how they become files: each line in code page 932 followed
// by CR LF, the last line too; no byte order mark.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "output/file_system.h"

namespace output {

using Document = std::vector<std::string>;

// The file's bytes, or nothing when a character has no place in code page 932.
[[nodiscard]] std::optional<std::string> encodeDocument(const Document& lines);

// Writes the document in place of the file at path, by the save rule (saveFile).
FsResult WriteDocument(const std::string& path, const Document& lines);

}  // namespace output
