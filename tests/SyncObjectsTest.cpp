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

bool Exists(HANDLE opened)
{
    if (opened)
        CloseHandle(opened);
    return opened != nullptr;
}

} // namespace

TEST(EventSimple, NamedEventIsSharedAndRemembersWhetherItExisted)
{
    std::wstring name = UniqueName(L"GlmbxTestEvent");
    EventSimple first(name.c_str(), TRUE, FALSE), second(name.c_str(), TRUE, FALSE);
    ASSERT_TRUE(first.IsReady() && second.IsReady());
    EXPECT_FALSE(first.IsAreadyExists());
    EXPECT_TRUE(second.IsAreadyExists());
    EXPECT_FALSE(second.WaitSignalled(0));
    first.Set(TRUE);
    EXPECT_TRUE(second.WaitSignalled(0) && second.WaitSignalled(0));  // manual reset: stays signalled
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
    EXPECT_TRUE(plain.Set() && plain.WaitSignalled(0));
    EXPECT_FALSE(plain.WaitSignalled(0));
    EXPECT_EQ(*plain.GetHandleAddr(), static_cast<HANDLE>(plain));
    plain.Close();
    EXPECT_FALSE(plain.IsReady());
    plain.Close();

    // A name of another kind of object cannot be an event; nor can a name in no namespace.
    std::wstring taken = UniqueName(L"GlmbxTestTaken");
    HANDLE mutex = CreateMutexW(nullptr, FALSE, taken.c_str());
    ASSERT_NE(mutex, nullptr);
    EventSimple clash(taken.c_str(), TRUE, TRUE), badPath(L"No\\Such\\Namespace\\Event", TRUE, TRUE);
    EXPECT_EQ(static_cast<HANDLE>(clash), nullptr);
    EXPECT_FALSE(clash.IsReady() || clash.IsAreadyExists() || clash.WaitSignalled(INFINITE) || clash.Set() ||
                 clash.Clear());
    EXPECT_FALSE(badPath.IsReady() || badPath.WaitSignalled(0));
    CloseHandle(mutex);
}

TEST(MyMutex, LocalNameIsSharedAndAnAbandonedMutexIsNeitherObtainedNorKept)
{
    std::wstring name = UniqueName(L"GlmbxTestMutex");
    MyMutex first(FALSE, name.c_str()), second(FALSE, name.c_str());
    ASSERT_TRUE(first.IsReady() && second.IsReady());
    EXPECT_TRUE(Exists(OpenMutexW(SYNCHRONIZE, FALSE, (L"Local\\" + name).c_str())));
    ASSERT_TRUE(first.Wait(0));
    // Another thread meets the same mutex through the second object.
    bool gotWhileHeld = true, gotAfter = false;
    OnOtherThread([&] { gotWhileHeld = second.Wait(0); });
    EXPECT_FALSE(gotWhileHeld);
    EXPECT_TRUE(first.Release());
    OnOtherThread([&] {
        gotAfter = second.Wait(1000);
        second.Release();
    });
    EXPECT_TRUE(gotAfter);
    MyMutex global(TRUE, name.c_str());
    EXPECT_TRUE(Exists(OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\" + name).c_str())));

    MyMutex mutex(FALSE, UniqueName(L"GlmbxTestAbandoned").c_str());
    ASSERT_TRUE(mutex.IsReady());
    OnOtherThread([&] { mutex.Wait(0); });  // the thread ends while it owns the mutex
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
        SingleInstanceXP first, second, other;
        EXPECT_TRUE(first.IsFirstInstance(FALSE, app.c_str()));
        EXPECT_TRUE(first.IsFirstInstance(FALSE, app.c_str()));  // still its own marker
        EXPECT_FALSE(second.IsFirstInstance(FALSE, app.c_str()));
        // The marker is the named event, visible to every process of the session.
        EXPECT_TRUE(Exists(OpenEventW(SYNCHRONIZE, FALSE, (L"Local\\Corvantrix_App_" + app).c_str())));
        EXPECT_TRUE(other.IsFirstInstance(FALSE, (app + L"Other").c_str()));  // another name, another program
    }
    SingleInstanceXP later;
    EXPECT_TRUE(later.IsFirstInstance(FALSE, app.c_str()));
}
