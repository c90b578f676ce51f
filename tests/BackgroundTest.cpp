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
#include "tests/support/TestSupport.h"

namespace {

// The bitmap's pixels, top-down, as 0x00RRGGBB.
std::vector<DWORD> Pixels(HBITMAP bitmap, int w, int h)
{
    std::vector<DWORD> out(static_cast<size_t>(w * h));
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
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

// A 24-bit BMP file of 2 x 2 pixels: red, green on top; blue, white below.
std::string TwoByTwoBmp()
{
    const unsigned char rows[] = {
        0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,  // bottom row: blue, white (BGR), padding
        0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00,  // top row: red, green
    };
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = 2;
    info.biHeight = 2;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + sizeof(rows);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    bytes.append(reinterpret_cast<const char*>(rows), sizeof(rows));
    return bytes;
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
    ASSERT_TRUE(test::WriteUtf8File(bmp, TwoByTwoBmp()));

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
    std::string bytes = TwoByTwoBmp();
    ASSERT_TRUE(test::WriteUtf8File(bmp, bytes));

    iPicture picture;
    ASSERT_TRUE(picture.Load(bmp.c_str()));
    SIZE size = picture.GetImageSize(nullptr);
    EXPECT_EQ(size.cx, 2);
    EXPECT_EQ(size.cy, 2);
    EXPECT_FALSE(picture.Load((dir + L"\\none.bmp").c_str()));
    EXPECT_FALSE(picture.IsReady());
    EXPECT_FALSE(picture.Load(static_cast<const wchar_t*>(nullptr)));

    CSMemStream memory(&bytes[0], static_cast<unsigned long>(bytes.size()));
    ASSERT_TRUE(picture.Load(memory));
    std::string junk(64, 'j');
    CSMemStream garbage(&junk[0], 64);
    EXPECT_FALSE(picture.Load(garbage));

    // Best fit, with a 100 x 50 picture (a BMP of that size).
    std::string wide = bytes;
    BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(&wide[sizeof(BITMAPFILEHEADER)]);
    info->biWidth = 100;
    info->biHeight = 50;
    wide.resize(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 300 * 50, '\x40');
    reinterpret_cast<BITMAPFILEHEADER*>(&wide[0])->bfSize = static_cast<DWORD>(wide.size());
    CSMemStream wideStream(&wide[0], static_cast<unsigned long>(wide.size()));
    ASSERT_TRUE(picture.Load(wideStream));
    RECT r = {0, 0, 400, 400};
    ASSERT_TRUE(picture.GetBestFitRect(nullptr, r, 0, nullptr, 0));
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 175);
    EXPECT_EQ(r.right, 250);
    EXPECT_EQ(r.bottom, 225);
    r = {0, 0, 400, 400};
    ASSERT_TRUE(picture.GetBestFitRect(nullptr, r, 0, nullptr, 1));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.bottom, 300);
    r = {0, 0, 400, 400};
    ASSERT_TRUE(picture.GetBestFitRect(nullptr, r, 1, nullptr, 1));  // a quarter turn: 50 x 100
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 400);
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
