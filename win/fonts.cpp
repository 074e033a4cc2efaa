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

Fonts::Fonts(int dpi, double scale) : face_(japaneseFace()), dpi_(dpi), scale_(scale) {}

Fonts::Fonts(const Fonts& same, int dpi) : face_(same.face_), dpi_(dpi), scale_(same.scale_) {}

Fonts::~Fonts()
{
    for (auto& [key, font] : made_) {
        ::DeleteObject(font);
    }
}

HFONT Fonts::get(double points, bool bold)
{
    const int tenths = static_cast<int>(std::lround((points > 0 ? points : 9.0) * scale_ * 10));
    auto& font = made_[{tenths, bold}];
    if (font == nullptr) {
        LOGFONTW lf{};
        lf.lfHeight = -::MulDiv(tenths, dpi_, 720);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        ::lstrcpynW(lf.lfFaceName, face_.c_str(), LF_FACESIZE);
        font = ::CreateFontIndirectW(&lf);
    }
    return font;
}

}  // namespace kelvwin
