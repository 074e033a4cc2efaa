#pragma once

#include "form/form.h"
#include "output/document_writer.h"

namespace screens {

// Form2: a four-line metafile for a video in the metafile's own folder.
const form::ScreenDef& simpleMetafileScreen();

// The metafile built from the screen's fields.
output::Document simpleMetafileLines(const form::Form& f);

}  // namespace screens
