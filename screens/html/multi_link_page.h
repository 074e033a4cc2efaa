#pragma once

#include "form/form.h"
#include "output/document_writer.h"

namespace screens {

// Form11: a page of five text links, each to its own metafile, in an aligned block.
const form::ScreenDef& multiLinkPageScreen();

// The eight lines of the page built from the screen's fields.
output::Document multiLinkPageLines(const form::Form& f);

}  // namespace screens
