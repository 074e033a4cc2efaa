// What the screens have in common: step lists in their own numbering (1 to
// 14 name Form1 to Form14, so that unload(1, 3).show(4) reads like the
// screens' lists), the colours of their bands and buttons, and the folder
// their save dialogs start in.
#pragma once

#include <string>

#include "form/form.h"

namespace screens {

class Steps : public form::Steps {
public:
    Steps& unload(int first, int last = 0) { return range(form::Step::Op::Unload, first, last); }
    Steps& hide(int first, int last = 0) { return range(form::Step::Op::Hide, first, last); }
    Steps& show(int screen) { return range(form::Step::Op::Show, screen, screen); }

private:
    Steps& range(form::Step::Op op, int first, int last)
    {
        for (int n = first; n <= (last == 0 ? first : last); ++n) {
            add(op, "Form" + std::to_string(n));
        }
        return *this;
    }
};

// The colours every screen shares.
namespace colors {
inline constexpr form::Color band{192, 192, 255};
inline constexpr form::Color help{255, 255, 0};
inline constexpr form::Color back{255, 128, 0};
inline constexpr form::Color next{128, 128, 255};
inline constexpr form::Color save{128, 255, 128};
inline constexpr form::Color lightGreen{192, 255, 192};
inline constexpr form::Color green{0, 255, 0};
inline constexpr form::Color grey{192, 192, 192};
inline constexpr form::Color pink{255, 128, 255};
}  // namespace colors

// The folder every save dialog of the screens starts in, as designed.
inline constexpr const char* designFolder = "c:\\";

}  // namespace screens
