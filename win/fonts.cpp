#include "win/fonts.h"

#include <cmath>

namespace kelvwin {

namespace {

// The first of the Japanese interface fonts the machine has.
std::wstring japaneseFace()
{
    HDC dc = ::GetDC(nullptr);
    std::wstring found;
    for (const wchar_t* face : {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        ::lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
        bool present = false;
        ::EnumFontFamiliesExW(
            dc, &lf,
            [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM flag) -> int {
                *reinterpret_cast<bool*>(flag) = true;
                return 0;
            },
            reinterpret_cast<LPARAM>(&present), 0);
        if (present) {
            found = face;
            break;
        }
    }
    ::ReleaseDC(nullptr, dc);
    if (found.empty()) {
        LOGFONTW lf{};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        found = lf.lfFaceName;
    }
    return found;
}

}  // namespace

Fonts::Fonts(int dpi) : face_(japaneseFace()), dpi_(dpi) {}

Fonts::Fonts(const Fonts& same, int dpi) : face_(same.face_), dpi_(dpi) {}

Fonts::~Fonts()
{
    for (auto& [key, font] : made_) {
        ::DeleteObject(font);
    }
}

HFONT Fonts::get(double points, bool bold, double scale)
{
    // The glyphs as high as laid out at this resolution, times the scale
    // rounded down: they grow no more than the layout does, so that no
    // line's text runs on to a line it has no room for.
    const int laidOut = ::MulDiv(static_cast<int>(std::lround((points > 0 ? points : 9.0) * 10)), dpi_, 720);
    const int height = static_cast<int>(std::floor(laidOut * scale + 1e-9));
    auto& font = made_[{height, bold}];
    if (font == nullptr) {
        LOGFONTW lf{};
        lf.lfHeight = -height;
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        ::lstrcpynW(lf.lfFaceName, face_.c_str(), LF_FACESIZE);
        font = ::CreateFontIndirectW(&lf);
    }
    return font;
}

}  // namespace kelvwin
