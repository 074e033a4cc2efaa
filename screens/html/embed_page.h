#pragma once

#include "form/form.h"

namespace screens {

// Form6: a page that plays a metafile lying in the page's own folder inside
// an embedded player.
const form::ScreenDef& simpleEmbedScreen();

// Form9: the same page for a site sorted into folders; the metafile is found
// one level up, in a folder the user names.
const form::ScreenDef& detailedEmbedScreen();

}  // namespace screens
