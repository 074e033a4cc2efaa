#pragma once

#include "form/form.h"
#include "output/document_writer.h"

namespace screens {

// Form3: a three-line metafile for a site sorted into folders, where the
// metafile's folder and the video's folder are siblings.
const form::ScreenDef& detailedMetafileScreen();

// The metafile built from the screen's fields.
output::Document detailedMetafileLines(const form::Form& f);

}  // namespace screens
