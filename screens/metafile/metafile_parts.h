// What the two metafile screens share besides their button band.
#pragma once

#include "form/form.h"
#include "output/document_writer.h"

namespace screens {

// The click of 「保存」: writes the metafile built by `lines`; after a name has
// been chosen the dialog offers every metafile pattern.
form::Handler saveMetafile(output::Document (*lines)(const form::Form&));

// The save dialog of a metafile, and the video name field starting with
// the extension the user completes.
void metafileDialogAndVideo(form::ScreenDef& s, const char* videoField);

}  // namespace screens
