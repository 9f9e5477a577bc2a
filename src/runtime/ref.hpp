#pragma once
// An object reference as the module's routines use it: a shared reference that may be empty, where using
// an empty one is the runtime error 91 ("Object variable not set") that the error traps handle, never a
// crash.

#include <cstddef>
#include <memory>
#include <utility>

#include "runtime/error.hpp"

namespace runtime {

inline constexpr std::int32_t kObjectNotSet = 91;

[[noreturn]] void throw_object_not_set();

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> Ref(std::shared_ptr<U> p) : p_(std::move(p)) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> Ref(const Ref<U>& other) : p_(other.shared()) {}

  T* operator->() const {
    if (!p_) throw_object_not_set();
    return p_.get();
  }
  T& operator*() const {
    if (!p_) throw_object_not_set();
    return *p_;
  }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator==(std::nullptr_t) const { return p_ == nullptr; }
  template <class U>
  bool operator==(const std::shared_ptr<U>& other) const {
    return p_ == other;
  }
  template <class U>
  bool operator==(const Ref<U>& other) const {
    return p_ == other.shared();
  }

  // The plain shared reference, e.g. to hand on by reference to an operation that may replace it.
  const std::shared_ptr<T>& shared() const { return p_; }
  std::shared_ptr<T>& shared() { return p_; }
  operator std::shared_ptr<T>() const { return p_; }
  T* get() const { return p_.get(); }
  void reset() { p_.reset(); }

 private:
  std::shared_ptr<T> p_;
};

}  // namespace runtime
