// The screens' pictures, drawn from the bitmaps the build made of each
// vector drawing at a few scales (resources/pictures.cmake): the scale just
// above the size a control needs is brought down to that size, so that a
// picture stays sharp at any resolution without drawing vectors here.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace kelvwin {

// The scales the build renders every picture at, in percent of the size
// its drawing declares; the resources are named <PICTURE>_<percent>.
inline constexpr int pictureScales[] = {50, 100, 150, 200, 300};

// Of the sizes a picture is stored at, the one to bring down to want: the
// smallest that covers it in both directions, else the largest. Index into
// stored; -1 when nothing is stored.
int pictureSourceFor(const std::vector<SIZE>& stored, SIZE want);

class Pictures {
public:
    explicit Pictures(HINSTANCE instance) : instance_(instance) {}
    ~Pictures();
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    // Draws the named picture into r, blended over what is there: filling r
    // when stretched, else at its own size at the given resolution in r's
    // top-left corner, as a picture box shows an image it does not size.
    // False when the program holds no such picture.
    bool draw(HDC dc, const std::string& name, const RECT& r, bool stretched, int dpi);

private:
    struct Stored {
        std::vector<SIZE> sizes;
        std::vector<int> scales;
        std::vector<std::wstring> resources;
    };
    const Stored& stored(const std::string& name);
    HBITMAP bitmap(const std::string& name, SIZE size);

    HINSTANCE instance_;
    std::map<std::string, Stored> stored_;
    std::map<std::tuple<std::string, LONG, LONG>, HBITMAP> bitmaps_;
};

}  // namespace kelvwin
