// Events, mutexes and the single-instance marker.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "sys/SyncObjects.h"

namespace {

std::wstring UniqueName(const wchar_t* base)
{
    return std::wstring(base) + std::to_wstring(GetCurrentProcessId());
}

// Runs fn on a thread of its own and waits for it.
template <typename Fn> void OnOtherThread(Fn fn)
{
    std::thread(fn).join();
}

} // namespace

TEST(EventSimple, NamedEventIsSharedAndRemembersWhetherItExisted)
{
    std::wstring name = UniqueName(L"GlmbxTestEvent");
    EventSimple first(name.c_str(), TRUE, FALSE);
    ASSERT_TRUE(first.IsReady());
    EXPECT_FALSE(first.IsAreadyExists());
    EventSimple second(name.c_str(), TRUE, FALSE);
    ASSERT_TRUE(second.IsReady());
    EXPECT_TRUE(second.IsAreadyExists());

    EXPECT_FALSE(second.WaitSignalled(0));
    first.Set(TRUE);
    EXPECT_TRUE(second.WaitSignalled(0));
    EXPECT_TRUE(second.WaitSignalled(0));  // manual reset: stays signalled
    first.Set(FALSE);
    EXPECT_FALSE(second.WaitSignalled(0));
    first.Set();
    second.Clear();
    EXPECT_FALSE(first.WaitSignalled(0));

    // Open replaces what the object held: now an unnamed auto-reset event, signalled.
    EXPECT_TRUE(first.Open(nullptr, FALSE, TRUE));
    EXPECT_FALSE(first.IsAreadyExists());
    second.Set(TRUE);
    EXPECT_TRUE(first.WaitSignalled(0));
    EXPECT_FALSE(first.WaitSignalled(0));

    // The default: unnamed, auto-reset, not signalled.
    EventSimple plain;
    EXPECT_FALSE(plain.WaitSignalled(0));
    EXPECT_TRUE(plain.Set());
    EXPECT_TRUE(plain.WaitSignalled(0));
    EXPECT_FALSE(plain.WaitSignalled(0));
    EXPECT_EQ(*plain.GetHandleAddr(), static_cast<HANDLE>(plain));
    plain.Close();
    EXPECT_FALSE(plain.IsReady());
    plain.Close();
}

TEST(EventSimple, FailedCreationLeavesANullHandleAndFalseAnswers)
{
    // A name of another kind of object cannot be an event.
    std::wstring name = UniqueName(L"GlmbxTestTaken");
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    ASSERT_NE(mutex, nullptr);
    EventSimple clash(name.c_str(), TRUE, TRUE);
    EXPECT_FALSE(clash.IsReady());
    EXPECT_EQ(static_cast<HANDLE>(clash), nullptr);
    EXPECT_FALSE(clash.IsAreadyExists());
    EXPECT_FALSE(clash.WaitSignalled(INFINITE));
    EXPECT_FALSE(clash.Set());
    EXPECT_FALSE(clash.Clear());
    CloseHandle(mutex);

    EventSimple badPath(L"No\\Such\\Namespace\\Event", TRUE, TRUE);
    EXPECT_FALSE(badPath.IsReady());
    EXPECT_FALSE(badPath.WaitSignalled(0));
}

TEST(MyMutex, LocalNameIsSharedByTwoObjects)
{
    std::wstring name = UniqueName(L"GlmbxTestMutex");
    MyMutex first(FALSE, name.c_str());
    MyMutex second(FALSE, name.c_str());
    ASSERT_TRUE(first.IsReady());
    ASSERT_TRUE(second.IsReady());
    HANDLE opened = OpenMutexW(SYNCHRONIZE, FALSE, (L"Local\\" + name).c_str());
    EXPECT_NE(opened, nullptr);
    CloseHandle(opened);

    ASSERT_TRUE(first.Wait(0));
    // Another thread meets the same mutex through the second object.
    bool gotWhileHeld = true;
    OnOtherThread([&] { gotWhileHeld = second.Wait(0); });
    EXPECT_FALSE(gotWhileHeld);
    EXPECT_TRUE(first.Release());
    bool gotAfter = false;
    OnOtherThread([&] {
        gotAfter = second.Wait(1000);
        second.Release();
    });
    EXPECT_TRUE(gotAfter);

    MyMutex global(TRUE, name.c_str());
    opened = OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\" + name).c_str());
    EXPECT_NE(opened, nullptr);
    CloseHandle(opened);
}

TEST(MyMutex, AbandonedMutexIsNotReportedAsObtainedNorKept)
{
    MyMutex mutex(FALSE, UniqueName(L"GlmbxTestAbandoned").c_str());
    ASSERT_TRUE(mutex.IsReady());
    // A thread ends while it owns the mutex.
    OnOtherThread([&] { mutex.Wait(0); });
    EXPECT_FALSE(mutex.Wait(1000));
    EXPECT_FALSE(mutex.Release());  // not held by this thread
    bool obtained = false;
    OnOtherThread([&] {
        obtained = mutex.Wait(0);
        mutex.Release();
    });
    EXPECT_TRUE(obtained);
}

TEST(SingleInstanceXP, FirstObjectHoldsTheMarkerForItsLife)
{
    std::wstring app = UniqueName(L"GlmbxTestApp");
    {
        SingleInstanceXP first;
        EXPECT_TRUE(first.IsFirstInstance(FALSE, app.c_str()));
        EXPECT_TRUE(first.IsFirstInstance(FALSE, app.c_str()));  // still its own marker
        SingleInstanceXP second;
        EXPECT_FALSE(second.IsFirstInstance(FALSE, app.c_str()));
        // The marker is the named event, visible to every process of the session.
        HANDLE marker = OpenEventW(SYNCHRONIZE, FALSE, (L"Local\\Corvantrix_App_" + app).c_str());
        EXPECT_NE(marker, nullptr);
        CloseHandle(marker);
        // Another name, another program.
        SingleInstanceXP other;
        EXPECT_TRUE(other.IsFirstInstance(FALSE, (app + L"Other").c_str()));
    }
    SingleInstanceXP later;
    EXPECT_TRUE(later.IsFirstInstance(FALSE, app.c_str()));
}
