#pragma once
// Move-only owners for the platform's handles: one traits type per kind,
// each knowing its own "no handle" value (nullptr for events, threads,
// libraries, registry keys, DCs and GDI objects; INVALID_HANDLE_VALUE for
// files and find handles) and how to give the handle back.

#include <windows.h>

#include <utility>

template <typename Traits>
class ScopedResource {
 public:
  using Type = typename Traits::Type;

  ScopedResource() = default;
  explicit ScopedResource(Type h) : h_(h) {}
  ScopedResource(ScopedResource&& other) noexcept : h_(std::exchange(other.h_, Traits::Invalid())) {}
  ScopedResource& operator=(ScopedResource&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, Traits::Invalid()));
    return *this;
  }
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;
  ~ScopedResource() { reset(); }

  Type get() const { return h_; }
  bool valid() const { return h_ != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }
  void reset() { reset(Traits::Invalid()); }
  void reset(Type h) {
    if (h_ != Traits::Invalid()) Traits::Close(h_);
    h_ = h;
  }
  // Hands the handle back without closing it: the holder no longer owns it.
  Type release() { return std::exchange(h_, Traits::Invalid()); }
  // For functions that return a new handle through a pointer: the old one is
  // closed first, so nothing leaks.
  Type* put() {
    reset();
    return &h_;
  }

 private:
  Type h_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
struct LibraryTraits {
  using Type = HMODULE;
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE module) { FreeLibrary(module); }
};
struct RegistryKeyTraits {
  using Type = HKEY;
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};

// Events, threads: null when absent.
using AutoHandle = ScopedResource<KernelHandleTraits>;
// Files and find handles: INVALID_HANDLE_VALUE when absent.
using AutoFile = ScopedResource<FileHandleTraits>;
using AutoFindHandle = ScopedResource<FindHandleTraits>;
// A library loaded at run time, freed when the holder goes.
using AutoLibrary = ScopedResource<LibraryTraits>;
// An open registry key.
using AutoRegKey = ScopedResource<RegistryKeyTraits>;
