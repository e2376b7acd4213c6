#pragma once
// One owner for every COM reference, and COM itself for one thread. put()
// releases what it held before handing out its address, so an early return
// can never leak a device or a texture.

#include <objbase.h>
#include <unknwn.h>

#include <utility>

template <typename T>
class ComRef {
 public:
  ComRef() = default;
  explicit ComRef(T* p) : p_(p) {}  // takes over a reference the caller owns
  ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { reset(); }

  // A second owner of the same object.
  ComRef Share() const {
    if (p_) p_->AddRef();
    return ComRef(p_);
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() {
    reset();
    return &p_;
  }
  // Releases the reference now; returns the count COM reports, for tests.
  ULONG reset() {
    ULONG left = 0;
    if (p_) left = std::exchange(p_, nullptr)->Release();
    return left;
  }

 private:
  T* p_ = nullptr;
};

// COM for the calling thread, uninitialised only if this holder initialised it.
class ScopedComInit {
 public:
  ScopedComInit() : result_(CoInitialize(nullptr)) {}
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  ~ScopedComInit() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};
