#pragma once

#include "form/form.h"

namespace screens {

// Form13: the one-shot generator. Given a video name it creates a folder of
// that name in the program folder holding the metafile, the link page and
// the embed page.
const form::ScreenDef& oneShotGeneratorScreen();

// What the generator and kelvquick's screen share: the banner, the name
// field, the "一発作成" button and the band below them.
void oneShotFace(form::ScreenDef& s);

// The click of "一発作成".
void GenerateOneShot(form::Form& f);

}  // namespace screens
