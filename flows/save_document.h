// The save flow of every screen that writes a file the user names: check
// the text, ask for the file, write it, and tell the user how it went.
#pragma once

#include <optional>
#include <string>

#include "form/form.h"
#include "output/document_writer.h"

namespace flows {

using output::Document;

inline constexpr const char* metafileFilterAfterSave = "メタファイル|*.asx*|その他|*.*";

// Runs the save dialog of `screen` ("CommonDialog1") and writes the lines to
// the chosen file. `filterAfter`, when given, becomes the dialog's filter once
// a name has been chosen.
void SaveDocument(form::Form& screen, const Document& lines,
                  const std::optional<std::string>& filterAfter = std::nullopt);

// When some line holds a character that code page 932 cannot hold, tells the
// user which character and which field of the screen it came from, and
// returns false. Nothing is written then.
[[nodiscard]] bool checkEncodable(form::Form& screen, const Document& lines);

}  // namespace flows
