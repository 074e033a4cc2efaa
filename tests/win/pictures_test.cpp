// The pictures as the Windows programs hold and draw them: every drawing of
// resources/pictures/ is in the program at each scale, the scale chosen is
// the one that keeps it sharp, and what is drawn lands where the
// declaration says, in the drawing's colours.
#include "win/pictures.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <string>

namespace {

using kelvwin::Pictures;
using kelvwin::pictureSourceFor;

// A white 32-bit canvas to draw on and read back.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    std::uint32_t* bits = nullptr;
    int width;
    int height;

    Canvas(int w, int h) : width(w), height(h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<std::uint32_t*>(p);
        dc = ::CreateCompatibleDC(nullptr);
        old = ::SelectObject(dc, bitmap);
        for (int i = 0; i < w * h; ++i) {
            bits[i] = 0x00FFFFFF;
        }
    }
    ~Canvas()
    {
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::DeleteObject(bitmap);
    }
    // Whether anything but white was drawn in the given columns and rows.
    bool drawnIn(int left, int top, int right, int bottom) const
    {
        ::GdiFlush();
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                if ((bits[y * width + x] & 0x00FFFFFF) != 0x00FFFFFF) {
                    return true;
                }
            }
        }
        return false;
    }
};

// The decoder is a COM object, as in the programs (win/run_program.cpp).
class ComApartment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
};
const auto* const apartment = ::testing::AddGlobalTestEnvironment(new ComApartment);

const char* const allPictures[] = {"banner", "browser",  "document", "folder",      "frame_page", "icon",
                                   "logo",   "metafile", "player",   "player_page", "server",     "video"};

TEST(PictureSource, TakesTheSmallestStoredSizeThatCoversBothDirections)
{
    const std::vector<SIZE> stored = {{16, 16}, {32, 32}, {48, 48}, {64, 64}};
    EXPECT_EQ(pictureSourceFor(stored, {16, 16}), 0);
    EXPECT_EQ(pictureSourceFor(stored, {17, 16}), 1);
    // A control wider than high needs the width covered, not the height.
    EXPECT_EQ(pictureSourceFor(stored, {40, 10}), 2);
    EXPECT_EQ(pictureSourceFor(stored, {1, 1}), 0);
}

TEST(PictureSource, BringsTheLargestUpWhenNoneCoversAndNothingWhenNoneIsStored)
{
    EXPECT_EQ(pictureSourceFor({{32, 32}, {64, 64}, {16, 16}}, {200, 10}), 1);
    EXPECT_EQ(pictureSourceFor({}, {16, 16}), -1);
}

TEST(Pictures, EveryDrawingIsDrawnStretchedAtTheScreensScales)
{
    Pictures pictures(::GetModuleHandleW(nullptr));
    for (const char* name : allPictures) {
        SCOPED_TRACE(name);
        // 100 %, 150 % and 200 % of a 120 x 60 pixel control, in the corner
        // of a canvas that shows where the picture ends.
        for (int dpi : {96, 144, 192}) {
            const int w = 120 * dpi / 96;
            const int h = 60 * dpi / 96;
            Canvas canvas(w + 20, h + 20);
            ASSERT_TRUE(pictures.draw(canvas.dc, name, RECT{0, 0, w, h}, true, dpi));
            EXPECT_TRUE(canvas.drawnIn(0, 0, w, h));
            EXPECT_FALSE(canvas.drawnIn(w, 0, w + 20, h + 20));
            EXPECT_FALSE(canvas.drawnIn(0, h, w + 20, h + 20));
        }
    }
}

TEST(Pictures, AnUnstretchedDrawingKeepsItsOwnSizeAtTheResolution)
{
    Pictures pictures(::GetModuleHandleW(nullptr));
    // folder.svg is 16 x 16: 24 x 24 pixels at 144 per inch, in a box of 60.
    Canvas canvas(60, 60);
    ASSERT_TRUE(pictures.draw(canvas.dc, "folder", RECT{0, 0, 60, 60}, false, 144));
    EXPECT_TRUE(canvas.drawnIn(0, 0, 24, 24));
    EXPECT_FALSE(canvas.drawnIn(24, 0, 60, 60));
    EXPECT_FALSE(canvas.drawnIn(0, 24, 60, 60));
}

TEST(Pictures, AMissingPictureIsReportedAndNothingIsDrawn)
{
    Pictures pictures(::GetModuleHandleW(nullptr));
    Canvas canvas(20, 20);
    EXPECT_FALSE(pictures.draw(canvas.dc, "no_such_picture", RECT{0, 0, 20, 20}, true, 96));
    EXPECT_FALSE(canvas.drawnIn(0, 0, 20, 20));
}

}  // namespace
