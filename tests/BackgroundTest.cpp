// The mirror window's background: colours, gradients to the channel formula, pictures
// stretched, the cache; and the picture loader's placement and preview.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/BkgBitmapCache.h"
#include "app/MyOpts.h"
#include "sys/CSStreams.h"
#include "sys/iPicture.h"
#include "tests/support/GdiObjects.h"
#include "tests/support/Pixels.h"
#include "tests/support/TestSupport.h"

namespace {

// The bitmap's pixels, top-down, as 0x00RRGGBB.
std::vector<DWORD> Pixels(HBITMAP bitmap, int w, int h)
{
    std::vector<DWORD> out(static_cast<size_t>(w * h));
    BITMAPINFO bmi = test::TopDown32(w, h);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, h, out.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (DWORD& p : out)
        p &= 0xFFFFFF;
    return out;
}

// A 24-bit BMP file: at 2 x 2, red and green on top, blue and white below; larger ones grey.
std::string Bmp(int width = 2, int height = 2)
{
    const unsigned char rows[] = {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,   // bottom row (BGR), padding
                                  0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00};  // top row
    size_t pixels = width == 2 ? sizeof(rows) : static_cast<size_t>((width * 3 + 3) / 4 * 4 * height);
    BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(file) + sizeof(info)};
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    return width == 2 ? bytes.append(reinterpret_cast<const char*>(rows), sizeof(rows)) : bytes.append(pixels, '\x40');
}

} // namespace

TEST(Background, ColourAndGradientsFollowTheChannelFormula)
{
    MyOpts opts;
    iPicture picture;
    opts.bkgType = MyOpts::BkgColorType;
    opts.bkgColor = RGB(10, 200, 30);
    opts.bkgGradient = RGB(250, 0, 130);
    // 50 x 30 pixels; each channel (c1 * (n - i) + c2 * i) / n along the gradient, truncated.
    struct Row {
        DWORD gradient;
        int x, y;
        DWORD rgb;
    } const rows[] = {
        {MyOpts::GradientNone, 0, 0, 0x0AC81E},        {MyOpts::GradientNone, 49, 29, 0x0AC81E},
        {MyOpts::GradientHorizontal, 0, 29, 0x0AC81E},  {MyOpts::GradientHorizontal, 1, 0, 0x0EC420},
        {MyOpts::GradientHorizontal, 25, 15, 0x826450}, {MyOpts::GradientHorizontal, 49, 29, 0xF50480},
        {MyOpts::GradientVertical, 49, 0, 0x0AC81E},    {MyOpts::GradientVertical, 0, 15, 0x826450},
        {MyOpts::GradientVertical, 49, 29, 0xF2067E},
    };
    int gdiObjects = test::GdiObjects(GetCurrentProcess());
    for (const Row& row : rows) {
        opts.gradientType = row.gradient;
        BkgBitmapCache cache;
        std::vector<DWORD> px = Pixels(cache.Get(opts, picture, 50, 30), 50, 30);
        EXPECT_EQ(px[row.y * 50 + row.x], row.rgb) << "gradient " << row.gradient << " at " << row.x << "," << row.y;
    }
    // Every line's pen is given back (a leak would leave hundreds).
    EXPECT_LT(test::GdiObjects(GetCurrentProcess()), gdiObjects + 10);
}

TEST(Background, CacheIsReusedForTheSameSizeOnly)
{
    MyOpts opts;
    iPicture picture;
    BkgBitmapCache cache;
    HBITMAP first = cache.Get(opts, picture, 40, 20);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.Get(opts, picture, 40, 20), first);
    BITMAP bm = {};
    GetObjectW(cache.Get(opts, picture, 41, 20), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 41);
    cache.Drop();
    EXPECT_EQ(cache.Bitmap(), nullptr);
    EXPECT_EQ(cache.Get(opts, picture, 0, 20), nullptr);
}

TEST(Background, PictureIsStretchedOverTheWholeBitmapOrLeftOut)
{
    std::wstring dir = test::NewTempDir(L"picture");
    ASSERT_TRUE(test::WriteUtf8File(dir + L"\\four.bmp", Bmp()));
    ASSERT_TRUE(test::WriteUtf8File(dir + L"\\empty.jpg", ""));
    ASSERT_TRUE(test::WriteUtf8File(dir + L"\\text.jpg", "this is no picture"));
    MyOpts opts;
    iPicture picture;
    opts.bkgType = MyOpts::BkgPictureType;
    wcscpy(opts.imagePath, (dir + L"\\four.bmp").c_str());
    BkgBitmapCache cache;
    std::vector<DWORD> px = Pixels(cache.Get(opts, picture, 40, 20), 40, 20);
    EXPECT_EQ(px[2 * 40 + 2], 0xFF0000u);  // a quarter each
    EXPECT_EQ(px[2 * 40 + 37], 0x00FF00u);
    EXPECT_EQ(px[17 * 40 + 2], 0x0000FFu);
    EXPECT_EQ(px[17 * 40 + 37], 0xFFFFFFu);

    // A picture that cannot be loaded leaves the background undrawn, and nothing breaks.
    for (const wchar_t* file : {L"missing.jpg", L"empty.jpg", L"text.jpg"}) {
        wcscpy(opts.imagePath, (dir + L"\\" + file).c_str());
        BkgBitmapCache broken;
        EXPECT_NE(broken.Get(opts, picture, 40, 20), nullptr);
        EXPECT_FALSE(picture.IsReady()) << test::ToUtf8(file);
    }
}

TEST(Picture, LoadsFromFilesAndMemoryAndFitsItsRectangle)
{
    std::wstring bmp = test::NewTempDir(L"picture") + L"\\four.bmp";
    std::string bytes = Bmp();
    ASSERT_TRUE(test::WriteUtf8File(bmp, bytes));
    iPicture picture;
    ASSERT_TRUE(picture.Load(bmp.c_str()));
    SIZE size = picture.GetImageSize(nullptr);
    EXPECT_TRUE(size.cx == 2 && size.cy == 2);
    EXPECT_FALSE(picture.Load((bmp + L".none").c_str()) || picture.IsReady());
    EXPECT_FALSE(picture.Load(static_cast<const wchar_t*>(nullptr)));
    CSMemStream memory(&bytes[0], static_cast<unsigned long>(bytes.size()));
    ASSERT_TRUE(picture.Load(memory));
    std::string junk(64, 'j');
    CSMemStream garbage(&junk[0], 64);
    EXPECT_FALSE(picture.Load(garbage));

    // A 100 x 50 picture in 400 x 400: centred at its own size, or stretched to fit; a quarter
    // turn makes it 50 x 100.
    std::string wide = Bmp(100, 50);
    CSMemStream wideStream(&wide[0], static_cast<unsigned long>(wide.size()));
    ASSERT_TRUE(picture.Load(wideStream));
    struct {
        int turn, stretch;
        RECT fitted;
    } const fits[] = {{0, 0, {150, 175, 250, 225}}, {0, 1, {0, 100, 400, 300}}, {1, 1, {100, 0, 300, 400}}};
    for (const auto& f : fits) {
        RECT r = {0, 0, 400, 400};
        ASSERT_TRUE(picture.GetBestFitRect(nullptr, r, f.turn, nullptr, f.stretch));
        EXPECT_TRUE(EqualRect(&r, &f.fitted)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(Picture, PreviewOfAMissingFileShowsTheErrorOnlyWhenAsked)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 50, 50, 200, 120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 200, 120);
    HGDIOBJ old = SelectObject(memory, canvas);
    PatBlt(memory, 0, 0, 200, 120, WHITENESS);

    iPicture picture;
    EXPECT_FALSE(picture.Blast(window, L"C:\\no\\such.jpg", 0, 0, memory, nullptr, nullptr, 0));
    EXPECT_EQ(GetPixel(memory, 100, 100), RGB(255, 255, 255));  // nothing painted
    EXPECT_FALSE(picture.Blast(window, L"C:\\no\\such.jpg", 0, 0, memory, nullptr, nullptr, 1));
    EXPECT_EQ(GetPixel(memory, 100, 100), RGB(0, 0, 0));
    int white = 0;
    for (int y = 10; y < 24; ++y) {
        for (int x = 10; x < 80; ++x)
            white += GetPixel(memory, x, y) == RGB(255, 255, 255);
    }
    EXPECT_GT(white, 0);  // the error text

    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DestroyWindow(window);
}
