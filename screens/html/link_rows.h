// The five link rows both pages of other formats share (Form11 and Form12):
// the link text the user types, the file the link leads to, and the line of
// the page's preview that shows the link text; a row every 600 twips.
#pragma once

#include <array>

namespace screens {

struct LinkRow {
    const char* comment;  // the link text, Text1 to Text5
    const char* target;   // the file the link leads to, Text11 to Text15
    const char* preview;  // the preview's line for the link text, Text6 to Text10
    int top;              // of the link text and target fields
};

constexpr std::array<LinkRow, 5> linkRows(int firstTop)
{
    constexpr const char* comments[] = {"Text1", "Text2", "Text3", "Text4", "Text5"};
    constexpr const char* targets[] = {"Text11", "Text12", "Text13", "Text14", "Text15"};
    constexpr const char* previews[] = {"Text6", "Text7", "Text8", "Text9", "Text10"};
    std::array<LinkRow, 5> rows{};
    for (int i = 0; i < 5; ++i) {
        rows[i] = {comments[i], targets[i], previews[i], firstTop + 600 * i};
    }
    return rows;
}

}  // namespace screens
