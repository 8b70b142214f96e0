// Scoped guards for Win32 and DirectDraw resources: each gives back what it
// took when it ends, on every way out of the scope.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <cstring>

// A lock of a whole DirectDraw surface, waiting while the surface is busy.
// Unlocked when the guard ends, or earlier by Unlock.
class SurfaceLock {
public:
    SurfaceLock() : m_surface(nullptr), m_result(DD_OK) { std::memset(&m_desc, 0, sizeof m_desc); }
    explicit SurfaceLock(IDirectDrawSurface7* surface) : SurfaceLock() { Lock(surface); }
    ~SurfaceLock() { Unlock(); }
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;

    // Locks surface (after unlocking what this guard held). False when there
    // is no surface or it will not lock.
    bool Lock(IDirectDrawSurface7* surface) {
        Unlock();
        std::memset(&m_desc, 0, sizeof m_desc);
        m_desc.dwSize = sizeof m_desc;
        if (surface == nullptr) {
            m_result = DDERR_INVALIDOBJECT;
            return false;
        }
        m_result = surface->Lock(nullptr, &m_desc, DDLOCK_WAIT, nullptr);
        if (FAILED(m_result)) return false;
        m_surface = surface;
        return true;
    }
    // What the last Lock answered (DDERR_SURFACELOST for a lost surface).
    HRESULT Result() const { return m_result; }
    void Unlock() {
        if (m_surface != nullptr) m_surface->Unlock(nullptr);
        m_surface = nullptr;
    }
    bool Locked() const { return m_surface != nullptr; }
    // The top-left pixel (null when not locked) and the row pitch in bytes.
    uint16_t* Pixels() const { return Locked() ? static_cast<uint16_t*>(m_desc.lpSurface) : nullptr; }
    int Pitch() const { return static_cast<int>(m_desc.lPitch); }

private:
    IDirectDrawSurface7* m_surface;  // the locked surface, null when none is
    HRESULT m_result;
    DDSURFACEDESC2 m_desc;
};

// A surface's device context for the length of the guard; null when the
// surface is null or yields none.
class SurfaceDC {
public:
    explicit SurfaceDC(IDirectDrawSurface7* surface) : m_surface(surface), m_dc(nullptr) {
        if (m_surface != nullptr && FAILED(m_surface->GetDC(&m_dc))) m_dc = nullptr;
    }
    ~SurfaceDC() {
        if (m_dc != nullptr) m_surface->ReleaseDC(m_dc);
    }
    SurfaceDC(const SurfaceDC&) = delete;
    SurfaceDC& operator=(const SurfaceDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    IDirectDrawSurface7* m_surface;
    HDC m_dc;
};

// A GDI object owned by the guard and deleted when it ends.
class OwnedGdiObject {
public:
    explicit OwnedGdiObject(HGDIOBJ object) : m_object(object) {}
    ~OwnedGdiObject() {
        if (m_object != nullptr) DeleteObject(m_object);
    }
    OwnedGdiObject(const OwnedGdiObject&) = delete;
    OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;
    HGDIOBJ Get() const { return m_object; }

private:
    HGDIOBJ m_object;
};

// An object selected into a device context; the one it replaced goes back
// when the guard ends. A null object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(nullptr) {
        if (m_dc != nullptr && object != nullptr) m_previous = SelectObject(m_dc, object);
    }
    ~SelectedObject() {
        if (m_previous != nullptr) SelectObject(m_dc, m_previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// One reference to a COM object, released when the guard ends.
template <class T>
class ComPtr {
public:
    ComPtr() : m_object(nullptr) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    // Where a creating call writes the new reference (the old one is
    // released first).
    T** Out() {
        Reset();
        return &m_object;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    void Reset() {
        if (m_object != nullptr) m_object->Release();
        m_object = nullptr;
    }
    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }

private:
    T* m_object;
};
