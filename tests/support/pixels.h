// Twips to device-independent pixels (1440 twips to the inch at 96 dpi), as
// laid out at the usual desktop font: where the tests expect the Qt windows
// and controls; a window drawn for a larger desktop font has its own scale.
#pragma once

#include "render/layout.h"

namespace kelvqt {

inline int px(int twips)
{
    return render::pixels(twips, 1);
}

}  // namespace kelvqt
