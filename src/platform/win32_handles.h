#pragma once
// Owners of the system's handles and interfaces: one for each kind, each giving its handle
// back the one right way when it goes, whichever way the code leaves.

#include <objbase.h>
#include <unknwn.h>
#include <windows.h>

#include <memory>
#include <type_traits>

namespace vexaframe {

namespace release {
struct CloseKernelObject {
    void operator()(HANDLE object) const { CloseHandle(object); }
};
struct CloseSearch {
    void operator()(HANDLE search) const { FindClose(search); }
};
struct FreeGlobal {
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
struct FreeModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
struct DeleteMemoryDC {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct DeleteGdiObject {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
struct DestroyOwnedWindow {
    void operator()(HWND window) const { DestroyWindow(window); }
};
struct ReleaseInterface {
    void operator()(IUnknown* object) const { object->Release(); }
};
}  // namespace release

// A file opened with CreateFile.
using OwnedFile = std::unique_ptr<void, release::CloseKernelObject>;
// CreateFile says it failed with INVALID_HANDLE_VALUE, not with null.
inline OwnedFile TakeFile(HANDLE file) {
    return OwnedFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}
// Closes the file now; false when the system reports that its last writes failed.
inline bool CloseNow(OwnedFile& file) {
    return CloseHandle(file.release()) != 0;
}

// A process, thread or job object: null when it could not be made.
using OwnedKernelObject = std::unique_ptr<void, release::CloseKernelObject>;

// A listing started with FindFirstFile.
using OwnedSearch = std::unique_ptr<void, release::CloseSearch>;
inline OwnedSearch TakeSearch(HANDLE search) {
    return OwnedSearch(search == INVALID_HANDLE_VALUE ? nullptr : search);
}

using OwnedGlobal = std::unique_ptr<void, release::FreeGlobal>;

// The bytes of a movable global memory block, locked in place while this lives.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
    ~LockedGlobal() {
        if (data_ != nullptr) GlobalUnlock(memory_);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;

    void* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    HGLOBAL memory_;
    void* data_;
};
using OwnedModule = std::unique_ptr<HINSTANCE__, release::FreeModule>;
// A device context made with CreateCompatibleDC.
using OwnedMemoryDC = std::unique_ptr<HDC__, release::DeleteMemoryDC>;

// A bitmap, brush, font or other GDI object.
template <typename Handle>
using GdiOwned = std::unique_ptr<std::remove_pointer_t<Handle>, release::DeleteGdiObject>;
using OwnedBitmap = GdiOwned<HBITMAP>;
using OwnedBrush = GdiOwned<HBRUSH>;
using OwnedFont = GdiOwned<HFONT>;

// A bitmap of the program's resources, as a section its pixels can be read from.
inline OwnedBitmap LoadBitmapResource(int id) {
    return OwnedBitmap(static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

// A top-level window made with CreateWindowEx.
using OwnedWindow = std::unique_ptr<HWND__, release::DestroyOwnedWindow>;

template <typename Interface>
using ComOwned = std::unique_ptr<Interface, release::ReleaseInterface>;

// COM for the calls on this thread, whose apartment the caller may have entered already.
class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (entered_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_;
};

// A window's (or with null, the screen's) device context, from GetDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context; the previous one goes back in first.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace vexaframe
