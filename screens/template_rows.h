// A screen's template fields: the fixed fragments of the document it writes,
// kept below the window's bottom edge in rows shaped like the document's
// lines, each fragment a little after the one before it.
#pragma once

#include <initializer_list>
#include <string>

#include "form/form.h"

namespace screens {

struct Fragment {
    const char* field;
    std::string text;
    int width;
};

class TemplateRows {
public:
    static constexpr int rowHeight = 285;
    static constexpr int rowStride = 360;
    static constexpr int fragmentGap = 105;

    enum class Shown { Yes, No };

    // The first row at `top`, each row starting at `left`.
    TemplateRows(form::ScreenDef& screen, int top, Shown shown = Shown::Yes, int left = 240)
        : screen_(screen), top_(top), left_(left), shown_(shown)
    {
    }

    TemplateRows& row(std::initializer_list<Fragment> fragments)
    {
        int left = left_;
        for (const Fragment& f : fragments) {
            form::ControlDef& c = screen_.text(f.field, f.text).at(left, top_, f.width, rowHeight);
            if (shown_ == Shown::No) {
                c.hidden();
            }
            left += f.width + fragmentGap;
        }
        top_ += rowStride;
        return *this;
    }

private:
    form::ScreenDef& screen_;
    int top_;
    int left_;
    Shown shown_;
};

}  // namespace screens
