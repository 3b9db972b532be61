#pragma once

#include <type_traits>

namespace du {

// Owning handle to a du::RefCounted object. Each reference is taken and given back under the
// address of the SmartPtr that holds it. There is deliberately no move: a move would hand a
// reference to a new owner without telling the object.
template <class T>
class SmartPtr {
 public:
  SmartPtr() noexcept = default;
  SmartPtr(T* object) { Assign(object); }  // NOLINT(google-explicit-constructor)
  SmartPtr(const SmartPtr& other) { Assign(other.object_); }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  SmartPtr(const SmartPtr<U>& other) {  // NOLINT(google-explicit-constructor)
    Assign(other.get());
  }
  ~SmartPtr() { Release(); }

  SmartPtr& operator=(const SmartPtr& other) {
    if (this != &other) Assign(other.object_);
    return *this;
  }
  SmartPtr& operator=(T* object) { return Assign(object); }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  SmartPtr& operator=(const SmartPtr<U>& other) {
    return Assign(other.get());
  }

  T* get() const noexcept { return object_; }
  T* operator->() const noexcept { return object_; }
  T& operator*() const noexcept { return *object_; }
  bool IsNull() const noexcept { return object_ == nullptr; }
  explicit operator bool() const noexcept { return object_ != nullptr; }

  // Drops the reference held, if any.
  void Reset() { Assign(nullptr); }

 private:
  // A different object gains a reference first, then the old one is released, then the new one
  // is stored, so assigning an object to a handle that holds its last reference is safe.
  SmartPtr& Assign(T* object) {
    if (object != object_) {
      if (object != nullptr) object->AddReference(this);
      Release();
      object_ = object;
    }
    return *this;
  }

  // The host's release protocol: when the count reaches zero the object is revived for a moment
  // to ask its hook whether it may go; it is deleted only when the hook agrees and the count is
  // zero again.
  void Release() {
    T* object = object_;
    object_ = nullptr;
    if (object == nullptr || object->RemoveReference(this) != 0) return;
    object->AddReference(this);
    if (object->ZeroReferenceCountHook() && object->RemoveReference(this) == 0) delete object;
  }

  T* object_ = nullptr;
};

template <class T, class U>
bool operator==(const SmartPtr<T>& a, const SmartPtr<U>& b) noexcept {
  return a.get() == b.get();
}
template <class T, class U>
bool operator!=(const SmartPtr<T>& a, const SmartPtr<U>& b) noexcept {
  return a.get() != b.get();
}

}  // namespace du
