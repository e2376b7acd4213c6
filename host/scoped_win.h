#pragma once
// Small move-only owners for kernel handles. Each knows its own "no handle"
// value: nullptr for events and threads, INVALID_HANDLE_VALUE for files and
// find handles.

#include <windows.h>

#include <utility>

template <typename Traits>
class ScopedHandle {
  static HANDLE Invalid() { return Traits::Invalid(); }


 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE h) : h_(h) {}
  ScopedHandle(ScopedHandle&& other) noexcept : h_(std::exchange(other.h_, Invalid())) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, Invalid()));
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { reset(); }

  HANDLE get() const { return h_; }
  bool valid() const { return h_ != Invalid(); }
  explicit operator bool() const { return valid(); }
  void reset() { reset(Invalid()); }
  void reset(HANDLE h) {
    if (h_ != Invalid()) Traits::Close(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = Invalid();
};

struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};

// Events, threads: null when absent.
using AutoHandle = ScopedHandle<KernelHandleTraits>;
// Files and find handles: INVALID_HANDLE_VALUE when absent.
using AutoFile = ScopedHandle<FileHandleTraits>;
using AutoFindHandle = ScopedHandle<FindHandleTraits>;

// A library loaded at run time, freed when the holder goes.
class AutoLibrary {
 public:
  AutoLibrary() = default;
  explicit AutoLibrary(HMODULE module) : module_(module) {}
  AutoLibrary(AutoLibrary&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
  AutoLibrary& operator=(AutoLibrary&& other) noexcept {
    if (this != &other) reset(std::exchange(other.module_, nullptr));
    return *this;
  }
  AutoLibrary(const AutoLibrary&) = delete;
  AutoLibrary& operator=(const AutoLibrary&) = delete;
  ~AutoLibrary() { reset(); }

  HMODULE get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }
  void reset(HMODULE module = nullptr) {
    if (module_) FreeLibrary(module_);
    module_ = module;
  }

 private:
  HMODULE module_ = nullptr;
};
