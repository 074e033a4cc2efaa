#pragma once

#include "form/form.h"

namespace screens {

// The fields the generator works with. The settings screen (Form14) holds
// the last four under the same names; the generator mirrors them.
namespace oneshot {
inline constexpr const char* nameField = "Text1";        // the video's name without extension
inline constexpr const char* extensionField = "Text4";   // ".wmv"
inline constexpr const char* widthField = "Text12";      // the player's width
inline constexpr const char* heightField = "Text14";     // worked out from the width
inline constexpr const char* autoStartField = "Text17";  // "true" or "false"
}  // namespace oneshot

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
