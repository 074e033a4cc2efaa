// The popup pages: one bold line of text that links to a metafile, so that a
// click on the text starts the player. The simple page links to a metafile
// beside the page, the detailed one to a metafile in a sibling folder.
#pragma once

#include "form/form.h"
#include "output/document_writer.h"

namespace screens {

// Form5: link "./<metafile>".
const form::ScreenDef& simplePopupPage();
// Form8: link "../<folder>/<metafile>".
const form::ScreenDef& detailedPopupPage();

// The three lines of each page, built from the screen's fields.
output::Document simplePopupLines(const form::Form& f);
output::Document detailedPopupLines(const form::Form& f);

}  // namespace screens
