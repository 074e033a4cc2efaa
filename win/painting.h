// How the renderer paints what the standard controls do not: lines, the
// boxes of frames, pictures and images, buttons in their declared colours,
// and the colours of the standard controls.
#pragma once

#include <windows.h>

#include <string>

#include "form/screen_def.h"
#include "win/pictures.h"
#include "win/screen_window.h"

namespace kelvwin {

// A screen's window: the lines that lie on it.
void paintScreen(const ScreenWindow& w, HWND hwnd, int dpi);

// The box of a frame (an etched group box with its caption), a picture or
// an image, then the lines that lie in it.
void paintBox(ScreenWindow& w, const form::ControlDef& c, HWND hwnd, Pictures& pictures, int dpi);

// A push button in its declared colour.
void drawButton(ScreenWindow& w, const form::ControlDef& c, const DRAWITEMSTRUCT& item);

// Sets a standard control's text and background colours on its device
// context and gives the brush of its background.
HBRUSH controlColors(ScreenWindow& w, const form::ControlDef& c, HDC dc);

}  // namespace kelvwin
