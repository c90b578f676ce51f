// The icons of the library and Glimpsebox.exe: each number holds exactly its sizes and colour
// depths, each image well formed, a shape on a see-through ground.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "res/IconIds.h"
#include "tests/support/Row.h"
#include "tests/support/TestSupport.h"

namespace {

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

typedef std::set<std::pair<int, int>> Images;  // size and bits per pixel

// The 16 colours every 16-colour display has (blue, green, red); a 4-bit icon drawn in others
// would be dithered or wrong.
const BYTE kStandard16[16][3] = {{0, 0, 0},     {0, 0, 128},     {0, 128, 0},   {0, 128, 128},
                                 {128, 0, 0},   {128, 0, 128},   {128, 128, 0}, {192, 192, 192},
                                 {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                                 {255, 0, 0},   {255, 0, 255},   {255, 255, 0}, {255, 255, 255}};

// Only the library's resources are read, so it is mapped as a data file: none of its code runs here.
HMODULE Library()
{
    static HMODULE library =
        LoadLibraryExW((test::ExeDir() + L"\\" + test::LibraryFile).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return library;
}

// The raw bytes of one resource, empty when it is missing.
std::string ResourceBytes(HMODULE module, const wchar_t* type, int id)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const char* data = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    return data ? std::string(data, SizeofResource(module, info)) : std::string();
}

// The entries of an icon group; none when it is missing or its header is wrong.
std::vector<GroupEntry> GroupEntries(HMODULE module, int id)
{
    std::string group = ResourceBytes(module, RT_GROUP_ICON, id);
    WORD header[3] = {};  // reserved, type, count
    memcpy(header, group.data(), group.size() < sizeof header ? 0 : sizeof header);
    if (header[0] != 0 || header[1] != 1 || group.size() < sizeof header + header[2] * sizeof(GroupEntry))
        return {};
    std::vector<GroupEntry> entries(header[2]);
    memcpy(entries.data(), group.data() + sizeof header, entries.size() * sizeof(GroupEntry));
    return entries;
}

Images Contents(const std::vector<GroupEntry>& entries)
{
    Images contents;
    for (const GroupEntry& e : entries)
        contents.insert({e.width, e.bitCount});
    return contents;
}

Images Every(std::initializer_list<int> sizes, std::initializer_list<int> depths)
{
    Images all;
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

struct IconCase {
    int id;
    Images images;
};

void PrintTo(const IconCase& c, std::ostream* out)
{
    *out << c.id;
}

class LibraryIcon : public testing::TestWithParam<IconCase> {};

TEST_P(LibraryIcon, HoldsExactlyItsSizesAndDepthsWellFormed)
{
    const IconCase& c = GetParam();
    std::vector<GroupEntry> entries = GroupEntries(Library(), c.id);
    EXPECT_EQ(entries.size(), c.images.size()) << "an image is missing or listed twice";
    EXPECT_EQ(Contents(entries), c.images);
    for (const GroupEntry& e : entries) {
        const int size = e.width, bits = e.bitCount;
        test::Row trace(testing::Message() << size << " pixels, " << bits << " bits");
        EXPECT_TRUE(e.height == size && e.planes == 1 && e.colorCount == (bits == 4 ? 16 : 0));
        // Header, palette, colour rows and mask rows, all bottom-up, and nothing else.
        std::string data = ResourceBytes(Library(), RT_ICON, e.id);
        ASSERT_EQ(data.size(), e.bytesInRes);
        BITMAPINFOHEADER h = {};
        memcpy(&h, data.data(), data.size() < sizeof h ? 0 : sizeof h);
        ASSERT_TRUE(h.biSize == sizeof h && h.biWidth == size && h.biHeight == 2 * size && h.biPlanes == 1 &&
                    h.biBitCount == bits && h.biCompression == BI_RGB);
        size_t colours = bits <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << bits) : 0;
        const BYTE* palette = reinterpret_cast<const BYTE*>(data.data()) + sizeof h;
        const BYTE* xorRows = palette + colours * 4;
        const BYTE* andRows = xorRows + RowBytes(size, bits) * size;
        ASSERT_EQ(data.size(), sizeof h + colours * 4 + (RowBytes(size, bits) + RowBytes(size, 1)) * size);
        for (size_t i = 0; bits == 4 && i < 16; ++i)
            EXPECT_EQ(memcmp(palette + i * 4, kStandard16[i], 3), 0) << "palette entry " << i;

        int transparent = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const BYTE* row = xorRows + (size - 1 - y) * RowBytes(size, bits);
                bool see = (andRows[(size - 1 - y) * RowBytes(size, 1) + x / 8] & (0x80 >> (x % 8))) != 0;
                int index = bits == 8 ? row[x] : bits == 4 ? (x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4) : -1;
                const BYTE* bgra = index < 0 ? row + x * 4 : palette + index * 4;
                bool black = !bgra[0] && !bgra[1] && !bgra[2];
                int alpha = bits == 32 ? bgra[3] : 255;
                transparent += see;
                // Where the mask lets the ground through, the colour is XORed onto it: anything but
                // black would show. A 32-bit image is drawn by its alpha instead, and keeps the colour
                // of a faint edge; only where it is wholly transparent must it be black as well.
                bool sound = !see ? alpha >= 128 : bits != 32 ? black : alpha < 128 && (alpha > 0 || black);
                EXPECT_TRUE(sound) << "at " << x << "," << y << (see ? ", transparent" : ", opaque");
            }
        }
        // A shape on a transparent ground, never an empty or a full square.
        EXPECT_GT(transparent, 0);
        EXPECT_LT(transparent, size * size - size * size / 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Icons, LibraryIcon,
                         testing::Values(IconCase{IDI_PRODUCT, Every({16, 32, 48}, {4, 8, 32})},
                                         IconCase{IDI_PRODUCT_LOWCOLOR, Every({16, 20}, {4})},
                                         IconCase{IDI_ABOUT_WEB, Every({13}, {4, 8, 32})},
                                         IconCase{IDI_ABOUT_MAIL, Every({13}, {4, 8, 32})},
                                         IconCase{IDI_ABOUT_SUPPORT, Every({13}, {4, 8, 32})},
                                         IconCase{IDI_ABOUT_INFO, Every({13}, {4, 8, 32})},
                                         IconCase{IDI_PROGRESS, Every({16, 32}, {4, 8, 32})}),
                         [](const testing::TestParamInfo<IconCase>& param) { return std::to_string(param.param.id); });

TEST(IconDrawing, AboutBoxIconsDiffer)
{
    // Four buttons, four pictures: two numbers naming one file would pass every other check.
    std::set<std::string> seen;
    for (int id : {IDI_ABOUT_WEB, IDI_ABOUT_MAIL, IDI_ABOUT_SUPPORT, IDI_ABOUT_INFO}) {
        for (const GroupEntry& e : GroupEntries(Library(), id)) {
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
    HMODULE launcher =
        LoadLibraryExW((test::ExeDir() + L"\\Glimpsebox.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(launcher, nullptr);
    // Explorer shows a program's first icon group.
    ULONG_PTR first = 0;
    EnumResourceNamesW(launcher, RT_GROUP_ICON, FirstName, reinterpret_cast<LONG_PTR>(&first));
    ASSERT_TRUE(IS_INTRESOURCE(first));
    std::vector<GroupEntry> own = GroupEntries(launcher, static_cast<int>(first));
    std::vector<GroupEntry> product = GroupEntries(Library(), IDI_PRODUCT);
    ASSERT_EQ(own.size(), product.size());
    EXPECT_EQ(Contents(own), Contents(product));
    for (size_t i = 0; i < own.size(); ++i) {
        EXPECT_EQ(ResourceBytes(launcher, RT_ICON, own[i].id), ResourceBytes(Library(), RT_ICON, product[i].id))
            << "image " << i;
    }
    FreeLibrary(launcher);
}

} // namespace
