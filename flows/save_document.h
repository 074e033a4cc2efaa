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

// The first control character of the text, as the user can read it
// ("U+000A"), or nothing. No line of a page or metafile may hold one: the
// file's lines end in CR LF and nothing else.
std::optional<std::string> firstControlCharacter(const std::string& text);

// When a field the user fills brings a control character into a line, or a
// '"' into an attribute value, where it would end the value (the markup after
// it would be the user's), tells the user which character and which field,
// and returns false. Nothing is written then.
[[nodiscard]] bool checkMarkupSafe(form::Form& screen, const Document& lines);

}  // namespace flows
