// Step lists as the screens write them: the numbers 1 to 14 name Form1 to
// Form14, so that unload(1, 3).show(4) reads like the screens' own lists.
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

// The folder every save dialog of the screens starts in, as designed.
inline constexpr const char* designFolder = "c:\\";

}  // namespace screens
