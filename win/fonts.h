// The fonts of the controls: the first Japanese interface font the machine
// has, at each size and weight a control declares.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

namespace kelvwin {

class Fonts {
public:
    // At a resolution, every size `scale` times the one asked for; the
    // machine's fonts are looked through once.
    Fonts(int dpi, double scale);
    // The face and scale of `same` at another resolution.
    Fonts(const Fonts& same, int dpi);
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // The font of a size (9 points when none is declared) and weight, made
    // on first use; it lives as long as this object.
    HFONT get(double points, bool bold);

private:
    std::wstring face_;
    int dpi_;
    double scale_;
    std::map<std::pair<int, bool>, HFONT> made_;  // by tenths of a point and weight
};

}  // namespace kelvwin
