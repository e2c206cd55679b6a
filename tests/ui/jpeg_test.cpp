#include "ui/jpeg.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

struct Rgb {
    int r, g, b;
};
Rgb At(const TPixels& p, int x, int y) {
    uint32_t v = p.bgra[static_cast<size_t>(y) * p.width + x];
    return {static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)};
}

}  // namespace

// The picture is made by ImageMagick when the tests run: a 64 x 48 red block
// beside a 64 x 48 blue one.
TEST(JpegTest, DecodesAPictureMadeByAnotherEncoder) {
    std::wstring path = EnvironmentPath(L"SETUP_TEST_DATA") + L"\\red-blue.jpg";
    TPixels pixels = DecodeJpeg(ReadBytes(path));
    ASSERT_EQ(pixels.width, 128);
    ASSERT_EQ(pixels.height, 48);
    ASSERT_EQ(pixels.bgra.size(), 128u * 48u);
    Rgb left = At(pixels, 10, 24), right = At(pixels, 118, 24);
    EXPECT_GT(left.r, 230);
    EXPECT_LT(left.g, 25);
    EXPECT_LT(left.b, 25);
    EXPECT_LT(right.r, 25);
    EXPECT_LT(right.g, 25);
    EXPECT_GT(right.b, 230);
}

TEST(JpegTest, AnythingButAJpegRaisesLibjpegsError) {
    EXPECT_THROW(DecodeJpeg(""), EJpegError);
    try {
        DecodeJpeg("GIF89a not a jpeg at all");
        FAIL() << "no error";
    } catch (const EJpegError& e) {
        EXPECT_EQ(e.Message().rfind(L"JPEG error: ", 0), 0u);
        EXPECT_GT(e.Message().size(), 12u);
    }
    std::string header("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);
    EXPECT_THROW(DecodeJpeg(header), EJpegError);  // ends inside the first segment
}
