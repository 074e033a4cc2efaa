// The resolution the screens are laid out at. The programs run on Windows
// from before per-monitor resolutions too, so what only later Windows can
// tell is asked for where it exists.
#pragma once

#include <windows.h>

namespace kelvwin {

// The resolution of the whole desktop, which the screens start at.
int systemDpi();

// The size in points of the font the system shows its messages in (the
// message font of the nonclient metrics), 9 when it cannot tell.
double messageFontPoints();

// The resolution of the monitor a window is on, where Windows tells it
// (10 and later), else 0.
UINT windowDpi(HWND hwnd);

// A window's outer size for a client area, with the caption and borders of
// the given resolution where Windows can say so.
RECT frameFor(int width, int height, DWORD style, UINT dpi);

// Twips to pixels at a resolution.
inline int pixelsAt(int twips, int dpi)
{
    return ::MulDiv(twips, dpi, 1440);
}

}  // namespace kelvwin
