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
    // At a resolution; the machine's fonts are looked through once.
    explicit Fonts(int dpi);
    // The face of `same` at another resolution.
    Fonts(const Fonts& same, int dpi);
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // The font of a size (9 points when none is declared) and weight, for a
    // window drawn `scale` times as large as laid out, made on first use; it
    // lives as long as this object.
    HFONT get(double points, bool bold, double scale);

private:
    std::wstring face_;
    int dpi_;
    std::map<std::pair<int, bool>, HFONT> made_;  // by height in pixels and weight
};

}  // namespace kelvwin
