#pragma once

#include "form/form.h"
#include "output/document_writer.h"

namespace screens {

// Form12: a page with an inline frame showing a title page and a menu of five
// links that open other pages inside that frame.
const form::ScreenDef& linkMenuPageScreen();

// The ten lines of the page built from the screen's fields.
output::Document linkMenuPageLines(const form::Form& f);

// What the user is told when a save is refused because no height follows
// from the width (the width is not a number).
inline constexpr const char* widthNotNumberMessage =
    "幅に数値が入っていないため保存しませんでした。"
    "幅に半角の数字（例：320）を記入してから、もう一度保存してください。";

}  // namespace screens
