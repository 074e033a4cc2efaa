// What the user calls things on a screen, worked out from its labels, for
// every place that names them: assistive technology and the messages.
#pragma once

#include <string>

#include "form/form.h"

namespace form {

// A label's text as a name: without surrounding spaces, half- or full-width,
// and without the point some prompts begin with.
std::string tidyLabel(std::string text);

// What the user calls a field: its own spoken name; "「field」のプレビュー"
// when it previews another; else its prompt label's text, numbered when
// several fields share one prompt; else its tooltip. Empty when it has none
// of these, as the screens' template fields.
std::string fieldName(const Form& f, const std::string& control);

}  // namespace form
