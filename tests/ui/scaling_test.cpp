// The toolkit on denser screens: pictures scaled smoothly, the drawing
// chosen for the DPI, and what the toolkit places and draws itself at the
// form's DPI.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "support/test_form.h"
#include "ui/resample.h"
#include "ui/scaled_picture.h"

namespace {

TPixels Picture(int width, int height, std::vector<uint32_t> pixels) { return {width, height, std::move(pixels)}; }
int Red(uint32_t pixel) { return static_cast<int>(pixel >> 16 & 0xFF); }
int Blue(uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

}  // namespace

TEST(ScalingTest, PicturesAreScaledSmoothly) {
    // Its own size: the same pixels.
    const TPixels odd = Picture(3, 1, {0x102030, 0x405060, 0x708090});
    EXPECT_EQ(ResampleSmoothly(odd, 3, 1).bgra, odd.bgra);
    // A uniform picture stays uniform at any size, exactly.
    const TPixels uniform = ResampleSmoothly(Picture(7, 5, std::vector<uint32_t>(35, 0x123456)), 3, 11);
    EXPECT_EQ(uniform.bgra, std::vector<uint32_t>(33, 0x123456));
    // Enlarged, red beside blue blends across the edge instead of stepping.
    const TPixels wide = ResampleSmoothly(Picture(2, 1, {0xFF0000, 0x0000FF}), 8, 2);
    ASSERT_EQ(wide.bgra.size(), 16u);
    EXPECT_EQ(wide.bgra[0], 0xFF0000u);
    EXPECT_EQ(wide.bgra[7], 0x0000FFu);
    for (int x = 1; x < 8; ++x) EXPECT_LE(Red(wide.bgra[x]), Red(wide.bgra[x - 1])) << x;
    EXPECT_GT(Red(wide.bgra[3]), 0);
    EXPECT_GT(Blue(wide.bgra[3]), 0);
    EXPECT_EQ(wide.bgra[8 + 3], wide.bgra[3]);  // every row alike
    // Shrunk, a black and white chequer becomes grey, and a one-pixel line
    // stays visible rather than falling between the pixels kept.
    const TPixels chequer = Picture(4, 2, {0, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0, 0xFFFFFF, 0});
    for (uint32_t pixel : ResampleSmoothly(chequer, 2, 1).bgra) EXPECT_NEAR(Red(pixel), 128, 1);
    std::vector<uint32_t> line(9, 0);
    line[4] = 0xFFFFFF;
    const TPixels narrow = ResampleSmoothly(Picture(9, 1, line), 3, 1);
    EXPECT_GT(Red(narrow.bgra[1]), 60);
    EXPECT_EQ(narrow.bgra[0], 0u);
}

TEST(ScalingTest, APictureShowsTheDrawingNearestToItsDpi) {
    auto drawing = [](int width) {
        return std::make_shared<const TPixels>(Picture(width, 2, std::vector<uint32_t>(width * 2)));
    };
    TScaledPicture picture;
    picture.Add(192, drawing(20));
    picture.Add(96, drawing(10));
    picture.Add(144, drawing(15));
    const struct {
        int dpi, width;
    } cases[] = {{96, 10}, {72, 10}, {110, 10}, {120, 15}, {144, 15}, {160, 15}, {168, 20}, {192, 20}, {288, 20}};
    for (const auto& c : cases) EXPECT_EQ(picture.For(c.dpi)->width, c.width) << c.dpi;  // of two as near, the larger
    EXPECT_EQ(picture.DesignWidth(), 10);
    TScaledPicture onlyLarge;
    onlyLarge.Add(192, drawing(20));
    EXPECT_EQ(onlyLarge.DesignWidth(), 10);
    EXPECT_EQ(onlyLarge.DesignHeight(), 1);
    EXPECT_EQ(TScaledPicture::Single(drawing(7))->DesignWidth(), 7);
}

TEST(ScalingTest, TheToolkitPlacesAndDrawsAtTheFormsDpi) {
    TestForm t(192);
    EXPECT_EQ(t.form->Dpi(), 192);
    EXPECT_EQ(t.label->Dpi(), 192);
    RECT client;
    GetClientRect(t.form->Handle(), &client);
    EXPECT_EQ(client.right, 1464);
    EXPECT_EQ(client.bottom, 696);
    // The radio group's own buttons, the list view's columns.
    t.radioGroup->SetItems({L"Typical", L"Custom"});
    HWND first = FindWindowExW(t.sheet1->Handle(), nullptr, L"Button", L"Typical");
    ASSERT_NE(first, nullptr);
    RECT r;
    GetWindowRect(first, &r);
    MapWindowPoints(nullptr, t.sheet1->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 2 * (220 + 8));
    EXPECT_EQ(r.top, 2 * (80 + 16));
    EXPECT_EQ(SendMessageW(t.listView->Handle(), LVM_GETCOLUMNWIDTH, 0, 0), 160);

    // A picture fills its slot at the DPI, the whole of it, and a panel's
    // raised edge is two pixels wide (read from the screen: the form's left
    // edge goes where the screen begins).
    t.image->LoadJpegFile(EnvironmentPath(L"SETUP_TEST_DATA") + L"\\red-blue.jpg");
    SetWindowPos(t.form->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    t.form->Show();
    t.pages->SetActivePageIndex(1);
    UpdateWindow(t.image->Handle());
    GetClientRect(t.image->Handle(), &r);
    EXPECT_EQ(r.right, 402);
    EXPECT_EQ(r.bottom, 696);
    HDC dc = GetDC(t.image->Handle());
    const COLORREF left = GetPixel(dc, 30, 348), right = GetPixel(dc, 372, 348);
    ReleaseDC(t.image->Handle(), dc);
    EXPECT_GT(GetRValue(left), 200);
    EXPECT_LT(GetBValue(left), 60);
    EXPECT_GT(GetBValue(right), 200);
    EXPECT_LT(GetRValue(right), 60);
    t.pages->SetActivePageIndex(0);
    UpdateWindow(t.panel->Handle());
    dc = GetDC(t.panel->Handle());
    EXPECT_EQ(GetPixel(dc, 100, 0), GetPixel(dc, 100, 1));
    EXPECT_EQ(GetPixel(dc, 100, 2), GetPixel(dc, 100, 3));
    EXPECT_NE(GetPixel(dc, 100, 1), GetPixel(dc, 100, 2));
    ReleaseDC(t.panel->Handle(), dc);
}
