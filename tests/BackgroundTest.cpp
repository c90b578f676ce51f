// The mirror window's background: colours, gradients to the channel formula, pictures
// stretched, the cache; and the picture loader's placement and preview.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/BkgBitmapCache.h"
#include "app/MyOpts.h"
#include "sys/CSFile.h"
#include "sys/CSStreams.h"
#include "sys/iPicture.h"
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

DWORD Rgb(int r, int g, int b)
{
    return static_cast<DWORD>((r << 16) | (g << 8) | b);
}

// A 24-bit BMP file of width x height pixels: with 2 x 2, red, green on top; blue, white below.
std::string Bmp(int width = 2, int height = 2)
{
    const unsigned char rows[] = {
        0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,  // bottom row: blue, white (BGR), padding
        0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00,  // top row: red, green
    };
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
    const int w = 50, h = 30;
    opts.bkgType = MyOpts::BkgColorType;
    opts.bkgColor = RGB(10, 200, 30);
    opts.bkgGradient = RGB(250, 0, 130);

    opts.gradientType = MyOpts::GradientNone;
    BkgBitmapCache plain;
    std::vector<DWORD> px = Pixels(plain.Get(opts, picture, w, h), w, h);
    EXPECT_EQ(px[0], Rgb(10, 200, 30));
    EXPECT_EQ(px[w * h - 1], Rgb(10, 200, 30));

    opts.gradientType = MyOpts::GradientHorizontal;
    BkgBitmapCache across;
    px = Pixels(across.Get(opts, picture, w, h), w, h);
    for (int x : {0, 1, w / 2, w - 1}) {
        DWORD expected = Rgb((10 * (w - x) + 250 * x) / w, (200 * (w - x)) / w, (30 * (w - x) + 130 * x) / w);
        EXPECT_EQ(px[x], expected) << x;
        EXPECT_EQ(px[(h - 1) * w + x], expected) << x;  // the whole column
    }

    opts.gradientType = MyOpts::GradientVertical;
    BkgBitmapCache down;
    px = Pixels(down.Get(opts, picture, w, h), w, h);
    for (int y : {0, h / 2, h - 1}) {
        DWORD expected = Rgb((10 * (h - y) + 250 * y) / h, (200 * (h - y)) / h, (30 * (h - y) + 130 * y) / h);
        EXPECT_EQ(px[y * w], expected) << y;
        EXPECT_EQ(px[y * w + w - 1], expected) << y;
    }

    // Equal ends give a plain fill.
    opts.gradientType = MyOpts::GradientHorizontal;
    opts.bkgGradient = opts.bkgColor;
    BkgBitmapCache same;
    px = Pixels(same.Get(opts, picture, w, h), w, h);
    EXPECT_EQ(px[0], px[w - 1]);
}

TEST(Background, CacheIsReusedForTheSameSizeOnly)
{
    MyOpts opts;
    iPicture picture;
    BkgBitmapCache cache;
    HBITMAP first = cache.Get(opts, picture, 40, 20);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.Get(opts, picture, 40, 20), first);
    HBITMAP bigger = cache.Get(opts, picture, 41, 20);
    ASSERT_NE(bigger, nullptr);
    BITMAP bm = {};
    GetObjectW(bigger, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 41);
    cache.Drop();
    EXPECT_EQ(cache.Bitmap(), nullptr);
    EXPECT_EQ(cache.Get(opts, picture, 0, 20), nullptr);
}

TEST(Background, PictureIsStretchedOverTheWholeBitmap)
{
    std::wstring dir = test::NewTempDir(L"picture");
    std::wstring bmp = dir + L"\\four.bmp";
    ASSERT_TRUE(test::WriteUtf8File(bmp, Bmp()));

    MyOpts opts;
    iPicture picture;
    opts.bkgType = MyOpts::BkgPictureType;
    wcscpy(opts.imagePath, bmp.c_str());
    BkgBitmapCache cache;
    const int w = 40, h = 20;
    std::vector<DWORD> px = Pixels(cache.Get(opts, picture, w, h), w, h);
    EXPECT_EQ(px[2 * w + 2], Rgb(255, 0, 0));          // top left quarter
    EXPECT_EQ(px[2 * w + w - 3], Rgb(0, 255, 0));      // top right
    EXPECT_EQ(px[(h - 3) * w + 2], Rgb(0, 0, 255));    // bottom left
    EXPECT_EQ(px[(h - 3) * w + w - 3], Rgb(255, 255, 255));

    // A picture that cannot be loaded leaves the background undrawn, and nothing breaks:
    // missing, empty, cut short, or not a picture at all.
    // (A picture cut short is not in the list: the platform's loader may accept what is there.)
    const std::pair<const wchar_t*, std::string> broken[] = {
        {L"missing.jpg", ""}, {L"empty.jpg", ""}, {L"text.jpg", "this is no picture"}};
    for (const auto& file : broken) {
        std::wstring path = dir + L"\\" + file.first;
        if (wcscmp(file.first, L"missing.jpg") != 0) {
            ASSERT_TRUE(test::WriteUtf8File(path, file.second));
        }
        wcscpy(opts.imagePath, path.c_str());
        BkgBitmapCache cache2;
        EXPECT_NE(cache2.Get(opts, picture, w, h), nullptr);
        EXPECT_FALSE(picture.IsReady()) << test::ToUtf8(file.first);
    }
}

TEST(Picture, LoadsFromFilesAndMemoryAndFitsItsRectangle)
{
    std::wstring dir = test::NewTempDir(L"picture");
    std::wstring bmp = dir + L"\\four.bmp";
    std::string bytes = Bmp();
    ASSERT_TRUE(test::WriteUtf8File(bmp, bytes));

    iPicture picture;
    ASSERT_TRUE(picture.Load(bmp.c_str()));
    SIZE size = picture.GetImageSize(nullptr);
    EXPECT_TRUE(size.cx == 2 && size.cy == 2);
    EXPECT_FALSE(picture.Load((dir + L"\\none.bmp").c_str()) || picture.IsReady());
    EXPECT_FALSE(picture.Load(static_cast<const wchar_t*>(nullptr)));

    CSMemStream memory(&bytes[0], static_cast<unsigned long>(bytes.size()));
    ASSERT_TRUE(picture.Load(memory));
    std::string junk(64, 'j');
    CSMemStream garbage(&junk[0], 64);
    EXPECT_FALSE(picture.Load(garbage));

    // Best fit, with a 100 x 50 picture.
    std::string wide = Bmp(100, 50);
    CSMemStream wideStream(&wide[0], static_cast<unsigned long>(wide.size()));
    ASSERT_TRUE(picture.Load(wideStream));
    RECT r = {0, 0, 400, 400};
    // Centred at its own size, or stretched to fit; a quarter turn makes it 50 x 100.
    struct { int turn, stretch; RECT fitted; } const fits[] = {
        {0, 0, {150, 175, 250, 225}}, {0, 1, {0, 100, 400, 300}}, {1, 1, {100, 0, 300, 400}}};
    for (const auto& f : fits) {
        r = {0, 0, 400, 400};
        ASSERT_TRUE(picture.GetBestFitRect(nullptr, r, f.turn, nullptr, f.stretch));
        EXPECT_TRUE(EqualRect(&r, &f.fitted)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(Picture, PreviewOfAMissingFile)
{
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 50, 50, 200, 120, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    test::PumpPending();
    // Paint into a memory copy, so the check does not depend on what covers the screen.
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 200, 120);
    HGDIOBJ old = SelectObject(memory, canvas);
    RECT all = {0, 0, 200, 120};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    iPicture picture;
    EXPECT_FALSE(picture.Blast(window, L"C:\\no\\such.jpg", 0, 0, memory, nullptr, nullptr, 0));
    EXPECT_EQ(GetPixel(memory, 100, 100), RGB(255, 255, 255));  // nothing painted
    EXPECT_FALSE(picture.Blast(window, L"C:\\no\\such.jpg", 0, 0, memory, nullptr, nullptr, 1));
    EXPECT_EQ(GetPixel(memory, 100, 100), RGB(0, 0, 0));  // black, with the error text
    bool whiteText = false;
    for (int y = 10; y < 24 && !whiteText; ++y) {
        for (int x = 10; x < 80 && !whiteText; ++x)
            whiteText = GetPixel(memory, x, y) == RGB(255, 255, 255);
    }
    EXPECT_TRUE(whiteText);

    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    DestroyWindow(window);
}
