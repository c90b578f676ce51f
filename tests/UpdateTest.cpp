// The update check against a local server: the request as the server saw it, its replies and hostile peers, TLS, the schedule, its dialogs and the background copy.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <malloc.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "product/DlgUpdate.h"
#include "product/SendHttp.h"
#include "product/UpdateCheck.h"
#include "sys/SysInfo.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RealInput.h"
#include "tests/support/Row.h"
#include "tests/support/TestSupport.h"

namespace {

const DWORD Day = 86400;
const DWORD Spread = 3600;

// tests/tools/update_server.py in a folder of its own under /tmp, seen from here through Z:.
// It stops, and removes the folder, when it finds the stop file (after four minutes in any case).
class UpdateServer {
public:
    explicit UpdateServer(bool tls = false) : secure(tls)
    {
        static int serial;
        // Wine hands out the same process ids run after run: the tick count keeps folders apart.
        std::string name = "glmbx-update-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount()) + "-" + std::to_string(++serial);
        unixDir = "/tmp/" + name;
        dir = L"Z:\\tmp\\" + test::FromUtf8(name);
        CreateDirectoryW(dir.c_str(), nullptr);
        test::StartUnixShell(L"exec /usr/bin/python3 " + test::FromUtf8(GLMBX_UPDATE_SERVER) + L" " +
                             test::FromUtf8(unixDir) + (tls ? L" --tls" : L"") + L" >" + test::FromUtf8(unixDir) +
                             L"/server.out 2>&1");
        test::PumpUntil([this] { return !(port = test::ReadFileBytes(dir + L"\\port")).empty(); }, 20000);
        EXPECT_FALSE(port.empty()) << "the update server did not start";
    }
    ~UpdateServer() { test::WriteUtf8File(dir + L"\\stop", ""); }

    std::wstring Address() const { return (secure ? L"https://127.0.0.1:" : L"127.0.0.1:") + test::FromUtf8(port); }
    void Answer(const std::string& mode, const std::string& reply = "") const
    {
        test::WriteUtf8File(dir + L"\\mode", mode);
        test::WriteUtf8File(dir + L"\\reply", reply);
    }
    std::vector<std::string> Lines(const std::string& prefix) const
    {
        return test::LogLinesWith(dir + L"\\requests.log", prefix);
    }
    std::wstring File(const wchar_t* name) const { return dir + L"\\" + name; }

private:
    bool secure;
    std::string unixDir;
    std::wstring dir;
    std::string port;
};

DWORD SetupDword(const wchar_t* name, DWORD missing = 0xBADF00D)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, test::SetupKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return status == ERROR_SUCCESS ? value : missing;
}

std::wstring SetupString(const wchar_t* name)
{
    wchar_t text[1024] = L"";
    DWORD size = sizeof(text);
    RegGetValueW(HKEY_CURRENT_USER, test::SetupKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

void PutSetupDword(const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, test::SetupKey, name, REG_DWORD, &value, sizeof(value));
}

void PutSetupString(const wchar_t* name, const std::wstring& text)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, test::SetupKey, name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The next check lies days ahead, within the hour of spread.
::testing::AssertionResult NextCheckIn(DWORD days)
{
    DWORD next = SetupDword(L"NextUpdate");
    DWORD earliest = GetCurTime() - 5 + days * Day;
    if (next >= earliest && next <= earliest + 5 + Spread + 5)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "NextUpdate is " << static_cast<long>(next - GetCurTime()) << " s ahead";
}

// Adds the certificate to the user's trusted roots, or takes it away again. The store is
// written when it is closed.
bool TrustRoot(const std::string& der, bool trust)
{
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!root)
        return false;
    PCCERT_CONTEXT cert = nullptr;
    BOOL done = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                                 static_cast<DWORD>(der.size()), CERT_STORE_ADD_USE_EXISTING, &cert);
    done = done && (trust ? CertFreeCertificateContext(cert) : CertDeleteCertificateFromStore(cert));
    return CertCloseStore(root, 0) && done;
}

// The reply, or "(none)".
std::wstring Ask(const std::wstring& server, const wchar_t* path, const wchar_t* body, unsigned limit = 1024)
{
    wchar_t* reply = SendHttp(server.c_str(), path, limit, body);
    std::wstring text = reply ? reply : L"(none)";
    DelHttpBuffer(reply);
    return text;
}

void Click(HWND dlg, int id)
{
    ASSERT_TRUE(test::Xdo(test::MoveTo(GetDlgItem(dlg, id)) + " " + test::HeldClick(1)));
}

// Runs call(); the first update dialog of this thread that comes up meanwhile goes to the
// script (which should close it). Returns how many came up; one left open is cancelled.
std::function<void(HWND)> pendingScript;
int dialogsShown;

void CALLBACK DialogTimer(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dlg = FindWindowW(L"#32770", L"Glimpsebox");
    if (!dlg || !IsWindowVisible(dlg) || GetWindowThreadProcessId(dlg, nullptr) != GetCurrentThreadId() ||
        GetPropW(dlg, L"UpdateTestSeen"))
        return;
    SetPropW(dlg, L"UpdateTestSeen", reinterpret_cast<HANDLE>(1));
    ++dialogsShown;
    std::function<void(HWND)> script = std::move(pendingScript);
    pendingScript = nullptr;
    if (script)
        script(dlg);
    if (!script || ::testing::Test::HasFailure())
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
}

int WithDialog(const std::function<void()>& call, std::function<void(HWND)> script = nullptr)
{
    pendingScript = std::move(script);
    dialogsShown = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, DialogTimer);
    call();
    KillTimer(nullptr, timer);
    pendingScript = nullptr;
    return dialogsShown;
}

// Every test starts from an empty schedule and leaves the one it found.
class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto& value : saved)
            value.Delete();
    }

    test::SavedValue saved[5] = {{HKEY_CURRENT_USER, test::SetupKey, L"NextUpdate"},
                                 {HKEY_CURRENT_USER, test::SetupKey, L"RemindFreq"},
                                 {HKEY_CURRENT_USER, test::SetupKey, L"AutoCheck"},
                                 {HKEY_CURRENT_USER, test::SetupKey, L"UpdateDescr"},
                                 {HKEY_CURRENT_USER, test::SetupKey, L"UpdateServer"}};

    void UseServer(const UpdateServer& server) { PutSetupString(L"UpdateServer", server.Address()); }
    void MakeDue() { PutSetupDword(L"NextUpdate", GetCurTime() - 60); }
};

} // namespace

TEST(UpdateHttp, RequestAndReplyAsTheServerSawThem)
{
    UpdateServer server;
    server.Answer("reply", "U=New version");
    EXPECT_EQ(Ask(server.Address(), L"updates/check.php", L"product=1192&v=1.11"), L"U=New version");
    EXPECT_EQ(Ask(server.Address(), L"/plain", nullptr), L"U=New version");
    // The server logs a request before it answers.
    EXPECT_EQ(server.Lines("request "), (std::vector<std::string>{"request POST /updates/check.php", "request GET /plain"}));
    EXPECT_EQ(server.Lines("header User-Agent:")[0], "header User-Agent: Mozilla/4.0");
    EXPECT_EQ(server.Lines("header Accept:")[1], "header Accept: */*");
    EXPECT_EQ(server.Lines("header Content-Type:"),
              std::vector<std::string>{"header Content-Type: application/x-www-form-urlencoded"});
    EXPECT_EQ(server.Lines("body "), std::vector<std::string>{"body product=1192&v=1.11"});
}

TEST(UpdateHttp, HostilePeersEndWithoutAReplyWithinTheLimit)
{
    UpdateServer server;
    // In parallel: each ends by itself, within the limit. The last asks where nothing listens.
    const wchar_t* paths[] = {L"x/hang", L"x/trickle", L"x/reset", L"x/error", L"x/huge", L"x/binary", nullptr};
    std::wstring replies[7];
    DWORD took[7] = {};
    std::vector<std::thread> workers;
    for (size_t i = 0; i < 7; ++i) {
        workers.emplace_back([&, i] {
            DWORD start = GetTickCount();
            replies[i] = paths[i] ? Ask(server.Address(), paths[i], nullptr, i == 4 ? 5000 : 1024)
                                  : Ask(L"127.0.0.1:1", L"x", L"a=b");
            took[i] = GetTickCount() - start;
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (size_t i = 0; i < 7; ++i)
        EXPECT_TRUE(took[i] <= HttpTimeLimitMs + 5000 && (replies[i] == L"(none)") == (i != 4 && i != 5)) << i;
    EXPECT_EQ(replies[4], L"U=" + std::wstring(4998, L'x'));  // cut in its second read
    EXPECT_LE(replies[5].size(), 1024u);
    EXPECT_EQ(_heapchk(), _HEAPOK);  // a reply never runs past its buffer
}

TEST_F(UpdateCheck, AnUntrustedCertificateGivesNoReplyNeverPlainHttp)
{
    UpdateServer server(true);
    UseServer(server);
    EXPECT_EQ(Ask(server.Address(), L"updates/check.php", L"a=b"), L"(none)");
    PutSetupDword(L"NextUpdate", 12345);
    EXPECT_EQ(DoCheckForUpdatesAuto(L"/CHECK4UPDATES"), 1);
    EXPECT_TRUE(NextCheckIn(1));
    EXPECT_TRUE(server.Lines("request ").empty());

    // Trusted, the same server is asked and answers: the refusal was the certificate's. A
    // process checks against the roots it read first, so a new copy asks.
    std::string der = test::ReadFileBytes(server.File(L"cert.der"));
    ASSERT_TRUE(TrustRoot(der, true));
    PutSetupDword(L"NextUpdate", 12345);
    test::ChildProcess copy;
    EXPECT_TRUE(copy.StartIn(test::ExeDir(), L"Glimpsebox.exe", L"/CHECK4UPDATES", false));
    EXPECT_TRUE(copy.WaitForEnd(HttpTimeLimitMs + 10000));
    EXPECT_TRUE(TrustRoot(der, false));
    EXPECT_EQ(server.Lines("request POST /updates/check.php").size(), 1u);
    EXPECT_EQ(SetupDword(L"NextUpdate"), 12345u);  // "OK": nothing to do
}

TEST_F(UpdateCheck, FirstStartsAndDamageScheduleAWeekAheadWithoutAsking)
{
    // A first start; a frequency out of range, a time in a string and a description too long
    // to be ours; a check years ahead that we never scheduled; "never".
    std::function<void()> setups[] = {
        [] {},
        [] {
            PutSetupDword(L"RemindFreq", 77);
            PutSetupString(L"NextUpdate", L"soon");
            PutSetupString(L"UpdateDescr", std::wstring(300, L'd'));
        },
        [] { PutSetupDword(L"NextUpdate", GetCurTime() + 400 * Day); },
        [] { PutSetupDword(L"NextUpdate", 0xFFFFFFFF); }};
    for (size_t i = 0; i < 4; ++i) {
        test::Row row(i);
        SetUp();
        setups[i]();
        EXPECT_EQ(WithDialog([] { CheckForUpdates(nullptr); }), 0);
        if (i == 3) {
            EXPECT_EQ(SetupDword(L"NextUpdate"), 0xFFFFFFFFu);
            continue;
        }
        EXPECT_TRUE(NextCheckIn(7));
        EXPECT_EQ(SetupDword(L"RemindFreq"), 2u);
        EXPECT_EQ(SetupDword(L"AutoCheck"), 0u);
        EXPECT_EQ(SetupString(L"UpdateDescr"), L"");
    }
}

TEST_F(UpdateCheck, ADueCheckAsksAndTheAnswersAreKept)
{
    MakeDue();
    PutSetupDword(L"RemindFreq", 0);
    int shown = WithDialog([] { CheckForUpdates(nullptr); }, [&](HWND dlg) {
        EXPECT_EQ(test::Text(GetDlgItem(dlg, DlgUpdateBase::HeadlineCtl)), L"An updated version of Glimpsebox may be available now.");
        EXPECT_EQ(IsDlgButtonChecked(dlg, DlgUpdateBase::YesCtl), BST_CHECKED);
        HWND list = GetDlgItem(dlg, DlgUpdateBase::FreqListCtl);
        const wchar_t* reminders[] = {L"Tomorrow", L"Next week", L"Next month"};
        for (LPARAM i = 0; i < 3; ++i) {
            wchar_t text[64] = L"";
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(text, reminders[i]);
        }
        EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0);
        SendMessageW(list, CB_SETCURSEL, 1, 0);
        Click(dlg, DlgUpdateBase::NoCtl);
        Click(dlg, DlgCheckForUpdates::AutoCtl);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(SetupDword(L"RemindFreq"), 1u);
    EXPECT_EQ(SetupDword(L"AutoCheck"), 1u);
    EXPECT_TRUE(NextCheckIn(7));
}

TEST_F(UpdateCheck, AKnownUpdateIsShownAndYesOpensTheUpgradePage)
{
    UpdateServer server;
    UseServer(server);
    MakeDue();
    PutSetupString(L"UpdateDescr", L"Version 2.0: 100% more glimpses");
    std::wstring log = test::NewTempDir(L"update") + L"\\opened.log";
    test::ProtocolToMarker redirect(L"http", log);
    std::wstring description;
    EXPECT_EQ(WithDialog([] { CheckForUpdates(nullptr); },
                         [&](HWND dlg) {
                             description = test::Text(GetDlgItem(dlg, DlgGetUpdates::DescrCtl));
                             Click(dlg, IDOK);
                         }),
              1);
    EXPECT_EQ(description, L"Version 2.0: 100% more glimpses");
    std::string line;
    ASSERT_TRUE(test::WaitForLogLine(log, "opened ", &line, 0, 15000));
    std::string page = "opened http://" + test::ToUtf8(server.Address()) +
                       "/updates/upgrade.php?product=1192&version=1.11&revision=253&edition=XP&os=";
    EXPECT_EQ(line.substr(0, page.size()), page);
    // Known until a new installation resets it.
    EXPECT_EQ(SetupString(L"UpdateDescr"), L"Version 2.0: 100% more glimpses");
    EXPECT_TRUE(NextCheckIn(30));
}

TEST_F(UpdateCheck, RepliesDecideTheSchedule)
{
    UpdateServer server;
    UseServer(server);
    struct Case {
        const char* reply;
        DWORD days;  // 0: the schedule is not touched
    } cases[] = {{"ok", 0}, {"OK\r\n", 0}, {"Not today", 1}, {"", 1}, {"U=", 1}};
    for (const Case& c : cases) {
        test::Row row(c.reply);
        PutSetupDword(L"NextUpdate", 12345);
        server.Answer("reply", c.reply);
        EXPECT_EQ(WithDialog([] { EXPECT_EQ(DoCheckForUpdatesAuto(L" /check4Updates "), 1); }), 0);
        EXPECT_TRUE(c.days ? NextCheckIn(c.days) : ::testing::AssertionResult(SetupDword(L"NextUpdate") == 12345u));
    }
    EXPECT_EQ(server.Lines("request POST /updates/check.php").size(), 5u);
}

TEST_F(UpdateCheck, SettingsKeepOrRescheduleAndResetForgetsTheUpdate)
{
    PutSetupDword(L"NextUpdate", 12345);
    SetCheck4UpdatesSettings(1, static_cast<Check4UpdatesFreq>(-1));
    int automatic = 0;
    Check4UpdatesFreq freq = Check4UpdatesDaily;
    GetCheck4UpdatesSettings(&automatic, &freq);
    EXPECT_TRUE(automatic == 1 && freq == Check4UpdatesMonthly && SetupDword(L"NextUpdate") == 12345u);

    SetCheck4UpdatesSettings(0, Check4UpdatesWeekly);
    EXPECT_EQ(SetupDword(L"AutoCheck"), 0u);
    EXPECT_EQ(SetupDword(L"RemindFreq"), 1u);
    EXPECT_TRUE(NextCheckIn(7));

    PutSetupString(L"UpdateDescr", L"2.0");
    PutSetupDword(L"NextUpdate", 12345);
    ResetCheck4Updates();
    EXPECT_EQ(SetupString(L"UpdateDescr"), L"");
    EXPECT_TRUE(NextCheckIn(7));
}

TEST_F(UpdateCheck, TheBackgroundCopyChecksOnceAndShowsWhatItFound)
{
    UpdateServer server;
    UseServer(server);
    // A copy that waits for an answer which never comes holds the check.
    server.Answer("hang");
    test::ChildProcess first;
    test::ChildProcess second;
    ASSERT_TRUE(first.StartIn(test::ExeDir(), L"Glimpsebox.exe", L"/CHECK4UPDATES", false));
    ASSERT_TRUE(test::PumpUntil([&] { return !server.Lines("end").empty(); }, 15000));
    ASSERT_TRUE(second.StartIn(test::ExeDir(), L"Glimpsebox.exe", L"/CHECK4UPDATES", false));
    ASSERT_TRUE(second.WaitForEnd(15000));
    EXPECT_EQ(second.ExitCode(), 1u);
    ASSERT_TRUE(first.WaitForEnd(HttpTimeLimitMs + 10000));
    EXPECT_EQ(first.ExitCode(), 1u);
    EXPECT_EQ(server.Lines("request ").size(), 1u);
    EXPECT_TRUE(NextCheckIn(1));

    // Due and automatic: the start-up check leaves the schedule to the copy it starts, which
    // finds an update and shows it; the user's answer is kept, the description cut to 255.
    std::string text = "Version 2.0 " + std::string(300, 'n');
    server.Answer("reply", "U=" + text);
    MakeDue();
    PutSetupDword(L"AutoCheck", 1);
    DWORD due = SetupDword(L"NextUpdate");
    EXPECT_EQ(WithDialog([] { CheckForUpdates(nullptr); }), 0);
    EXPECT_EQ(SetupDword(L"NextUpdate"), due);
    HWND dlg = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return (dlg = FindWindowW(L"#32770", L"Glimpsebox")) && IsWindowVisible(dlg); },
                                HttpTimeLimitMs));
    DWORD pid = 0;
    GetWindowThreadProcessId(dlg, &pid);
    HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, pid);
    std::wstring stored = test::FromUtf8(text.substr(0, 255));
    EXPECT_EQ(test::Text(GetDlgItem(dlg, DlgGetUpdates::DescrCtl)), stored);
    SendDlgItemMessageW(dlg, DlgUpdateBase::FreqListCtl, CB_SETCURSEL, 1, 0);
    Click(dlg, DlgUpdateBase::NoCtl);
    Click(dlg, IDOK);
    EXPECT_TRUE(test::PumpUntil([&] { return WaitForSingleObject(copy, 0) == WAIT_OBJECT_0; }, 15000));
    CloseHandle(copy);
    EXPECT_EQ(SetupString(L"UpdateDescr"), stored);
    EXPECT_EQ(SetupDword(L"RemindFreq"), 1u);
    EXPECT_TRUE(NextCheckIn(7));
}
