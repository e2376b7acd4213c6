#pragma once
// A PROPVARIANT cleared by its holder, whatever a metadata reader put in it
// (strings and arrays it carries are freed with it).

#include <objbase.h>
#include <propidl.h>

class ScopedPropVariant {
 public:
  ScopedPropVariant() { PropVariantInit(&value_); }
  ScopedPropVariant(const ScopedPropVariant&) = delete;
  ScopedPropVariant& operator=(const ScopedPropVariant&) = delete;
  ~ScopedPropVariant() { PropVariantClear(&value_); }

  PROPVARIANT* put() {
    PropVariantClear(&value_);
    return &value_;
  }
  const PROPVARIANT& get() const { return value_; }

 private:
  PROPVARIANT value_;
};
