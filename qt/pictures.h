// The pictures of a screen's picture and image controls, from the program's
// resources.
#pragma once

#include <QLabel>
#include <QSize>
#include <string>

namespace kelvqt {

// A label that shows the named picture, drawn when the label is first
// painted, at the given size and the pixel ratio it is painted at, and drawn
// again whenever that ratio changes (another monitor's scale). Showing a
// window so waits for no picture: the window is on the screen before the
// vector pictures (and the fonts their texts use) are drawn, and its first
// paint already shows them.
QLabel* newPictureLabel(const std::string& picture, QSize size, QWidget* parent);

}  // namespace kelvqt
