// The icons of the library and Glimpsebox.exe: each number holds exactly its sizes and colour depths, well formed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "res/IconIds.h"
#include "tests/support/TestSupport.h"

namespace {

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)

typedef std::pair<int, int> SizeAndBits;

// The 16 colours every 16-colour display has; a 4-bit icon drawn in others would be dithered or wrong.
const RGBQUAD kStandard16[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0},   {128, 128, 0, 0},   {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},     {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0},
};

// Only the library's resources are read, so it is mapped as a data file: none of its code runs here.
HMODULE Library()
{
    static HMODULE library =
        LoadLibraryExW((test::ExeDir() + L"\\" + std::wstring(test::LibraryFile)).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return library;
}

// The raw bytes of one resource, empty when it is missing.
std::string ResourceBytes(HMODULE module, const wchar_t* type, int id)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!info)
        return {};
    HGLOBAL handle = LoadResource(module, info);
    const char* data = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    return data ? std::string(data, SizeofResource(module, info)) : std::string();
}

std::vector<GroupEntry> GroupEntries(const std::string& group)
{
    std::vector<GroupEntry> entries;
    if (group.size() < sizeof(GroupHeader))
        return entries;
    GroupHeader header;
    memcpy(&header, group.data(), sizeof header);
    if (header.reserved != 0 || header.type != 1 || group.size() < sizeof header + header.count * sizeof(GroupEntry))
        return entries;
    entries.resize(header.count);
    memcpy(entries.data(), group.data() + sizeof header, header.count * sizeof(GroupEntry));
    return entries;
}

std::set<SizeAndBits> Contents(const std::vector<GroupEntry>& entries)
{
    std::set<SizeAndBits> contents;
    for (const GroupEntry& e : entries)
        contents.insert({e.width == 0 ? 256 : e.width, e.bitCount});
    return contents;
}

std::set<SizeAndBits> Every(std::initializer_list<int> sizes, std::initializer_list<int> depths)
{
    std::set<SizeAndBits> all;
    for (int size : sizes) {
        for (int bits : depths)
            all.insert({size, bits});
    }
    return all;
}

int RowBytes(int width, int bits)
{
    return ((width * bits + 31) / 32) * 4;
}

// One icon image as stored: header, palette, colour rows and mask rows, all bottom-up.
struct IconImage {
    BITMAPINFOHEADER header = {};
    std::vector<RGBQUAD> palette;
    std::string xorBits;
    std::string andBits;

    bool Transparent(int x, int y) const
    {
        int size = header.biWidth;
        unsigned char byte = static_cast<unsigned char>(andBits[(size - 1 - y) * RowBytes(size, 1) + x / 8]);
        return (byte & (0x80 >> (x % 8))) != 0;
    }
    // The colour at (x, y) from the top, and the alpha of a 32-bit image (255 otherwise).
    RGBQUAD Colour(int x, int y) const
    {
        int size = header.biWidth, bits = header.biBitCount;
        const unsigned char* row = reinterpret_cast<const unsigned char*>(xorBits.data()) +
                                   (size - 1 - y) * RowBytes(size, bits);
        if (bits == 32) {
            RGBQUAD q;
            memcpy(&q, row + x * 4, 4);
            return q;
        }
        int index = bits == 8 ? row[x] : (x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4);
        RGBQUAD q = palette[index];
        q.rgbReserved = 255;
        return q;
    }
};

// Parses an RT_ICON resource; a message names the first thing that is wrong.
testing::AssertionResult ParseImage(const std::string& data, int size, int bits, IconImage& image)
{
    if (data.size() < sizeof(BITMAPINFOHEADER))
        return testing::AssertionFailure() << "image shorter than its header";
    memcpy(&image.header, data.data(), sizeof image.header);
    const BITMAPINFOHEADER& h = image.header;
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biWidth != size || h.biHeight != 2 * size || h.biPlanes != 1 ||
        h.biBitCount != bits || h.biCompression != BI_RGB)
        return testing::AssertionFailure() << "header says " << h.biWidth << "x" << h.biHeight << ", " << h.biBitCount
                                           << " bits, compression " << h.biCompression;
    size_t colours = bits <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << bits) : 0;
    size_t xorSize = static_cast<size_t>(RowBytes(size, bits)) * size;
    size_t andSize = static_cast<size_t>(RowBytes(size, 1)) * size;
    size_t expected = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD) + xorSize + andSize;
    if (data.size() != expected)
        return testing::AssertionFailure() << "image holds " << data.size() << " bytes, its header needs " << expected;
    image.palette.resize(colours);
    memcpy(image.palette.data(), data.data() + sizeof(BITMAPINFOHEADER), colours * sizeof(RGBQUAD));
    size_t offset = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
    image.xorBits = data.substr(offset, xorSize);
    image.andBits = data.substr(offset + xorSize, andSize);
    return testing::AssertionSuccess();
}

struct IconCase {
    int id;
    std::set<SizeAndBits> images;
};

// Names the test cases by icon number.
void PrintTo(const IconCase& c, std::ostream* out)
{
    *out << c.id;
}

const IconCase kIcons[] = {
    {IDI_PRODUCT, Every({16, 32, 48}, {4, 8, 32})},
    {IDI_PRODUCT_LOWCOLOR, Every({16, 20}, {4})},
    {IDI_ABOUT_WEB, Every({13}, {4, 8, 32})},
    {IDI_ABOUT_MAIL, Every({13}, {4, 8, 32})},
    {IDI_ABOUT_SUPPORT, Every({13}, {4, 8, 32})},
    {IDI_ABOUT_INFO, Every({13}, {4, 8, 32})},
    {IDI_PROGRESS, Every({16, 32}, {4, 8, 32})},
};

class LibraryIcon : public testing::TestWithParam<IconCase> {};

TEST_P(LibraryIcon, HoldsExactlyItsSizesAndDepthsWellFormedAndPickedBySize)
{
    const IconCase& c = GetParam();
    std::string group = ResourceBytes(Library(), RT_GROUP_ICON, c.id);
    std::vector<GroupEntry> entries = GroupEntries(group);
    ASSERT_FALSE(entries.empty()) << "no icon " << c.id;
    EXPECT_EQ(entries.size(), c.images.size()) << "an image is listed twice";
    EXPECT_EQ(Contents(entries), c.images);
    for (const GroupEntry& e : entries) {
        SCOPED_TRACE(testing::Message() << "icon " << c.id << ", " << int(e.width) << " pixels, " << e.bitCount << " bits");
        EXPECT_TRUE(e.height == e.width && e.planes == 1 && e.colorCount == (e.bitCount == 4 ? 16 : 0));
        std::string data = ResourceBytes(Library(), RT_ICON, e.id);
        EXPECT_EQ(data.size(), e.bytesInRes);
        IconImage image;
        ASSERT_TRUE(ParseImage(data, e.width, e.bitCount, image));
        if (e.bitCount == 4) {
            ASSERT_EQ(image.palette.size(), 16u);
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(memcmp(&image.palette[i], &kStandard16[i], 3), 0) << "palette entry " << i;
        }
        int size = e.width, transparent = 0, opaque = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                RGBQUAD q = image.Colour(x, y);
                bool black = q.rgbRed == 0 && q.rgbGreen == 0 && q.rgbBlue == 0;
                bool see = image.Transparent(x, y);
                transparent += see;
                opaque += !see;
                // Where the mask lets the ground through, the colour is XORed onto it: anything but
                // black would show. A 32-bit image is drawn by its alpha instead, and keeps the colour
                // of a faint edge; only where it is wholly transparent must it be black as well.
                bool sound = !see ? e.bitCount != 32 || q.rgbReserved >= 128
                                  : e.bitCount != 32 ? black : q.rgbReserved < 128 && (q.rgbReserved > 0 || black);
                EXPECT_TRUE(sound) << "at " << x << "," << y << (see ? ", transparent" : ", opaque");
            }
        }
        // Every drawing is a shape on a transparent ground, never an empty or a full square.
        EXPECT_GT(transparent, 0);
        EXPECT_GT(opaque, size * size / 3);
    }

    // The system picks the image of each size, and loads it at that size.
    std::set<int> sizes;
    for (const SizeAndBits& image : c.images)
        sizes.insert(image.first);
    for (int size : sizes) {
        SCOPED_TRACE(testing::Message() << "icon " << c.id << " at " << size << " pixels");
        int chosen = LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(&group[0]), TRUE, size, size, LR_DEFAULTCOLOR);
        auto entry = std::find_if(entries.begin(), entries.end(), [&](const GroupEntry& e) { return e.id == chosen; });
        ASSERT_NE(entry, entries.end());
        EXPECT_EQ(entry->width, size);
        HICON icon = static_cast<HICON>(LoadImageW(Library(), MAKEINTRESOURCEW(c.id), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

INSTANTIATE_TEST_SUITE_P(Icons, LibraryIcon, testing::ValuesIn(kIcons),
                         [](const testing::TestParamInfo<IconCase>& param) { return std::to_string(param.param.id); });

// The pixel that an icon leaves at (x, y) when drawn at its size onto a plain ground.
COLORREF DrawnPixel(HICON icon, int size, COLORREF ground, int x, int y)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, size, size};
    HBRUSH brush = CreateSolidBrush(ground);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixel;
}

TEST(IconDrawing, ProductIconsKeepTheGroundAroundTheirFrame)
{
    // The tray shows 101 or 106 at the small-icon size; both must be see-through at their corners.
    for (int id : {IDI_PRODUCT, IDI_PRODUCT_LOWCOLOR}) {
        std::string group = ResourceBytes(Library(), RT_GROUP_ICON, id);
        int drawn = 0;
        for (const GroupEntry& e : GroupEntries(group)) {
            if (e.width != 16)
                continue;
            ++drawn;
            SCOPED_TRACE(testing::Message() << "icon " << id << ", " << e.bitCount << " bits");
            std::string data = ResourceBytes(Library(), RT_ICON, e.id);
            HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(&data[0]), static_cast<DWORD>(data.size()),
                                                  TRUE, 0x00030000, 16, 16, 0);
            ASSERT_NE(icon, nullptr);
            // The frame leaves the last column and row free, except where the 32-bit shadow falls.
            const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
            EXPECT_EQ(DrawnPixel(icon, 16, white, 15, 0), white);
            EXPECT_EQ(DrawnPixel(icon, 16, black, 15, 0), black);
            EXPECT_EQ(DrawnPixel(icon, 16, white, 0, 15), white);
            EXPECT_EQ(DrawnPixel(icon, 16, black, 0, 15), black);
            // The middle is the icon's own, whatever lies behind it.
            EXPECT_EQ(DrawnPixel(icon, 16, white, 7, 7), DrawnPixel(icon, 16, black, 7, 7));
            DestroyIcon(icon);
        }
        EXPECT_GT(drawn, 0) << "icon " << id << " has no 16-pixel image";
    }
}

TEST(IconDrawing, AboutBoxIconsDiffer)
{
    // Four buttons, four pictures: two numbers naming one file would pass every other check.
    std::set<std::string> seen;
    for (int id : {IDI_ABOUT_WEB, IDI_ABOUT_MAIL, IDI_ABOUT_SUPPORT, IDI_ABOUT_INFO}) {
        for (const GroupEntry& e : GroupEntries(ResourceBytes(Library(), RT_GROUP_ICON, id))) {
            if (e.bitCount == 32) {
                EXPECT_TRUE(seen.insert(ResourceBytes(Library(), RT_ICON, e.id)).second) << "icon " << id;
            }
        }
    }
    EXPECT_EQ(seen.size(), 4u);
}

BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    *reinterpret_cast<ULONG_PTR*>(param) = reinterpret_cast<ULONG_PTR>(name);
    return FALSE;
}

TEST(LauncherIcon, IsTheProductIcon)
{
    std::wstring path = test::ExeDir() + L"\\Glimpsebox.exe";
    HMODULE launcher = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(launcher, nullptr);
    // Explorer shows a program's first icon group.
    ULONG_PTR first = 0;
    EnumResourceNamesW(launcher, RT_GROUP_ICON, FirstName, reinterpret_cast<LONG_PTR>(&first));
    ASSERT_TRUE(IS_INTRESOURCE(first));
    std::vector<GroupEntry> own = GroupEntries(ResourceBytes(launcher, RT_GROUP_ICON, static_cast<int>(first)));
    std::vector<GroupEntry> product = GroupEntries(ResourceBytes(Library(), RT_GROUP_ICON, IDI_PRODUCT));
    ASSERT_EQ(own.size(), product.size());
    EXPECT_EQ(Contents(own), Contents(product));
    for (size_t i = 0; i < own.size(); ++i) {
        EXPECT_EQ(ResourceBytes(launcher, RT_ICON, own[i].id), ResourceBytes(Library(), RT_ICON, product[i].id))
            << "image " << i;
    }
    FreeLibrary(launcher);
}

} // namespace
