// Small non-copyable owners for the Win32 and COM handles the stand-in shell holds.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

namespace standin {

// Owns one value of type T; Traits says what "none" is and how to free it.
template <typename T, typename Traits>
class UniqueOwner {
public:
    UniqueOwner() = default;
    explicit UniqueOwner(T value) : value_(value) {}
    ~UniqueOwner() { Reset(); }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& other) noexcept : value_(other.Release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    explicit operator bool() const { return Traits::Valid(value_); }
    T Get() const { return value_; }
    // The caller owns the returned value.
    T Release()
    {
        T value = value_;
        value_ = Traits::None();
        return value;
    }
    void Reset(T value = Traits::None())
    {
        if (Traits::Valid(value_))
            Traits::Free(value_);
        value_ = value;
    }

private:
    T value_ = Traits::None();
};

struct KernelHandleTraits {
    static HANDLE None() { return nullptr; }
    static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Free(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = UniqueOwner<HANDLE, KernelHandleTraits>;

struct BitmapTraits {
    static HBITMAP None() { return nullptr; }
    static bool Valid(HBITMAP h) { return h != nullptr; }
    static void Free(HBITMAP h) { DeleteObject(h); }
};
using UniqueBitmap = UniqueOwner<HBITMAP, BitmapTraits>;

struct ImageListTraits {
    static HIMAGELIST None() { return nullptr; }
    static bool Valid(HIMAGELIST h) { return h != nullptr; }
    static void Free(HIMAGELIST h) { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueOwner<HIMAGELIST, ImageListTraits>;

struct MenuTraits {
    static HMENU None() { return nullptr; }
    static bool Valid(HMENU h) { return h != nullptr; }
    static void Free(HMENU h) { DestroyMenu(h); }
};
using UniqueMenu = UniqueOwner<HMENU, MenuTraits>;

// A window that may already have been destroyed by the system (its parent went first).
struct WindowTraits {
    static HWND None() { return nullptr; }
    static bool Valid(HWND h) { return h != nullptr; }
    static void Free(HWND h)
    {
        if (IsWindow(h))
            DestroyWindow(h);
    }
};
using UniqueWindow = UniqueOwner<HWND, WindowTraits>;

struct HookTraits {
    static HHOOK None() { return nullptr; }
    static bool Valid(HHOOK h) { return h != nullptr; }
    static void Free(HHOOK h) { UnhookWindowsHookEx(h); }
};
using UniqueHook = UniqueOwner<HHOOK, HookTraits>;

struct LocalMemoryTraits {
    static HLOCAL None() { return nullptr; }
    static bool Valid(HLOCAL h) { return h != nullptr; }
    static void Free(HLOCAL h) { LocalFree(h); }
};
using UniqueLocal = UniqueOwner<HLOCAL, LocalMemoryTraits>;

// One reference to a COM object.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* object) : object_(object) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            object_ = other.object_;
            other.object_ = nullptr;
        }
        return *this;
    }

    explicit operator bool() const { return object_ != nullptr; }
    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    // For out-parameters: drops the current reference first.
    T** Put()
    {
        Reset();
        return &object_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset()
    {
        if (object_) {
            object_->Release();
            object_ = nullptr;
        }
    }

private:
    T* object_ = nullptr;
};

// OLE on this thread for the object's lifetime (the shell view needs OLE, not just COM).
class OleSession {
public:
    OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession()
    {
        if (ok_)
            OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    bool Ok() const { return ok_; }

private:
    bool ok_;
};

} // namespace standin
