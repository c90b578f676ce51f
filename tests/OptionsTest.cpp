// Option records on the real registry: defaults, first use, the sample picture, damaged
// values, the flag word written last, and the window position record.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/MyOpts.h"
#include "sys/CSOpts.h"
#include "sys/RegKey.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t Root[] = L"HKCU\\Software\\Corvantrix\\Glimpsebox";

std::wstring SamplePicturePath()
{
    wchar_t docs[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, docs);
    return std::wstring(docs) + L"\\My Pictures\\Sample Pictures\\Sunset.jpg";
}

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        RegKey(L"HKCU\\Software\\Corvantrix", 1).DelSubKey(L"Glimpsebox");
        DeleteFileW(SamplePicturePath().c_str());
    }
};

void ExpectDefaultColours(const MyOpts& o)
{
    EXPECT_TRUE(o.bkgType == 0 && o.gradientType == 1);
    EXPECT_EQ(o.bkgColor, 0x800000u);
    EXPECT_EQ(o.bkgGradient, 0xD08410u);
}

// Records whether the flag word was already in the registry while the values were written.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ProbeOpts : public BoolOpts {
public:
    ProbeOpts() : BoolOpts(L"ProbeFlags") {}
    int flagSeenDuringStore = -1;
    void OnStore(RegKey& key) override
    {
        key.PutDword(L"ProbeValue", 7);
        flagSeenDuringStore = key.FindValue(L"ProbeFlags");
    }
};
#pragma GCC diagnostic pop

} // namespace

TEST_F(OptionsTest, FirstUseGivesTheDefaultsWithOrWithoutTheSamplePicture)
{
    MyOpts opts;
    EXPECT_EQ(opts.Load(), 0);  // no key yet: the normal first use
    ExpectDefaultColours(opts);
    EXPECT_EQ(opts.borderType, 0u);
    EXPECT_EQ(opts.marginLeft | opts.marginTop | opts.marginRight | opts.marginBottom, 0);
    for (COLORREF c : opts.customColors)
        EXPECT_EQ(c, 0xFFFFFFu);
    EXPECT_STREQ(opts.imagePath, L"");
    EXPECT_EQ(opts.GetAll(), 0u);

    // With the sample picture there, the very first run (no key at all) offers it, not switched on.
    std::wstring sample = SamplePicturePath();
    SHCreateDirectoryExW(nullptr, sample.substr(0, sample.find_last_of(L'\\')).c_str(), nullptr);
    ASSERT_TRUE(test::WriteUtf8File(sample, "not really a jpeg"));
    EXPECT_EQ(opts.Load(), 0);
    EXPECT_EQ(_wcsicmp(opts.imagePath, sample.c_str()), 0);
    EXPECT_EQ(opts.bkgType, 0u);

    // Once the start dialog has run, an empty path stays empty and stored colours hold.
    {
        RegKey root(Root, 1);
        root.PutDword(L"Options", MyOpts::FlagStartedOnce);
        root.PutDword(L"BkgColor", 0x123456);
        root.PutDword(L"BkgType", 1);
    }
    EXPECT_EQ(opts.Load(), 1);
    EXPECT_STREQ(opts.imagePath, L"");
    EXPECT_TRUE(opts.bkgColor == 0x123456u && opts.bkgType == 1u);

    // Before that, without a sample picture, stored colours give way to the defaults.
    DeleteFileW(sample.c_str());
    RegKey(Root, 1).PutDword(L"Options", 0);
    EXPECT_EQ(opts.Load(), 1);
    ExpectDefaultColours(opts);
}

TEST_F(OptionsTest, StoreWritesEveryValueUnderItsNameAndLoadGivesItBack)
{
    MyOpts out;
    out.Load();
    out.SetAll(MyOpts::FlagStartedOnce | MyOpts::FlagLowColorIcon | 0x100);  // unknown bits survive
    out.bkgType = 1, out.gradientType = 2, out.borderType = 3;
    out.marginLeft = -5, out.marginTop = 6, out.marginRight = 7, out.marginBottom = 8;
    out.bkgColor = 0x010203, out.bkgGradient = 0x040506;
    for (int i = 0; i < MyOpts::CustomColorCount; ++i)
        out.customColors[i] = static_cast<COLORREF>(i * 0x10101);
    std::wstring path(259, L'p');  // the longest that fits with its terminator
    wcscpy(out.imagePath, path.c_str());
    out.wndPos.length = sizeof(WINDOWPLACEMENT);
    out.wndPos.rcNormalPosition = {10, 20, 300, 400};
    ASSERT_EQ(out.Store(), 1);

    RegKey root(Root, 0);
    const struct {
        const wchar_t* name;
        int value;
    } dwords[] = {{L"Options", 0x103}, {L"BkgType", 1},       {L"GradientType", 2},     {L"BorderType", 3},
                  {L"MarginLeft", -5}, {L"MarginTop", 6},     {L"MarginRight", 7},      {L"MarginBottom", 8},
                  {L"BkgColor", 0x010203}, {L"BkgGradient", 0x040506}};
    for (const auto& d : dwords)
        EXPECT_EQ(root.GetInt(d.name, 99), d.value) << test::ToUtf8(d.name);
    EXPECT_EQ(root.GetBinSize(L"WndPos"), sizeof(WINDOWPLACEMENT));
    EXPECT_EQ(root.GetBinSize(L"CustomColors"), sizeof(out.customColors));
    wchar_t stored[300] = {};
    root.GetStr(L"ImagePath", stored, 300);
    EXPECT_EQ(std::wstring(stored), path);

    MyOpts in;
    ASSERT_EQ(in.Load(), 1);
    EXPECT_EQ(in.GetAll(), out.GetAll());
    EXPECT_TRUE(in.bkgType == 1 && in.gradientType == 2 && in.borderType == 3);
    EXPECT_TRUE(in.marginLeft == -5 && in.marginTop == 6 && in.marginRight == 7 && in.marginBottom == 8);
    EXPECT_TRUE(in.bkgColor == 0x010203u && in.bkgGradient == 0x040506u);
    EXPECT_EQ(memcmp(in.customColors, out.customColors, sizeof(in.customColors)), 0);
    EXPECT_EQ(std::wstring(in.imagePath), path);
    EXPECT_EQ(in.wndPos.rcNormalPosition.right, 300);
    // Flags only: records with equal flags are not different, whatever else they hold.
    in.bkgColor = 0;
    EXPECT_EQ(in.IsDifferent(&out), 0);
}

// The record's own size checks; wrong types and lengths in general are the registry wrapper's.
TEST_F(OptionsTest, DamagedValuesFallBackToDefaults)
{
    {
        RegKey root(Root, 1);
        root.PutDword(L"Options", MyOpts::FlagStartedOnce);
        root.PutBin(L"CustomColors", (const unsigned char*)"\x01\x02\x03", 3);
        root.PutBin(L"WndPos", (const unsigned char*)"\x2C\x00\x00\x00", 4);
        root.PutStr(L"ImagePath", std::wstring(300, L'x').c_str());  // longer than 260
    }
    MyOpts opts;
    opts.Load();
    EXPECT_EQ(opts.customColors[0], 0xFFFFFFu);
    EXPECT_EQ(opts.wndPos.length, 0u);
    EXPECT_STREQ(opts.imagePath, L"");
}

TEST_F(OptionsTest, FlagWordIsWrittenLastAndReadWithItsDefault)
{
    ProbeOpts probe;
    probe.SetAll(5);
    ASSERT_EQ(probe.Store(), 1);
    EXPECT_EQ(probe.flagSeenDuringStore, 0);
    RegKey root(Root, 0);
    EXPECT_EQ(root.GetDword(L"ProbeFlags", 0), 5u);
    EXPECT_EQ(root.GetDword(L"ProbeValue", 0), 7u);

    // The flags alone: present value kept, missing value keeps the reset default.
    ProbeOpts again;
    EXPECT_EQ(again.Load(), 1);
    EXPECT_EQ(again.GetAll(), 5u);
    RegKey(Root, 1).DelValue(L"ProbeFlags");
    EXPECT_EQ(again.Load(), 1);
    EXPECT_EQ(again.GetAll(), 0u);

    // The temporary copy lives in its own sub-key.
    again.SetAll(9);
    EXPECT_EQ(again.StoreTemp(), 1);
    ProbeOpts temp;
    EXPECT_EQ(temp.LoadTemp(), 1);
    EXPECT_EQ(temp.GetAll(), 9u);
    EXPECT_TRUE(temp.DelTemp());
    EXPECT_EQ(temp.LoadTemp(), 0);
}

// The position's value names and their use are the mirror window's cases.
TEST_F(OptionsTest, WindowPositionRecordAndTheInstallersChoice)
{
    MyWndOpts pos;
    pos.posX = 5;
    EXPECT_EQ(pos.Load(), 0);
    EXPECT_TRUE(pos.posX == MyWndOpts::NeverPlaced && pos.posY == 0);
    // A copy owns its own flags.
    pos.SetAll(3);
    MyWndOpts copy(pos);
    copy.SetAll(4);
    EXPECT_EQ(pos.GetAll(), 3u);
    EXPECT_EQ(*copy.GetPtrAll(), 4u);

    RegKey(L"HKLM\\Software\\Corvantrix", 1).DelSubKey(L"Glimpsebox");
    EXPECT_EQ(MyOpts::GetSetupOptForAllUsers(), 0);
    for (DWORD options : {0x8u, 0x19u, 0x7u}) {
        RegKey(L"HKLM\\Software\\Corvantrix\\Glimpsebox\\Setup", 1).PutDword(L"Options", options);
        EXPECT_EQ(MyOpts::GetSetupOptForAllUsers(), (options & 8) ? 1 : 0) << options;
    }
    RegKey(L"HKLM\\Software\\Corvantrix", 1).DelSubKey(L"Glimpsebox");
}
