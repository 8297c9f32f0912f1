// OwningPointer: the holder through which each module owns its current
// strategy object (a GuidePlan, a ControlVariant or a SoundVariant).
//
// A holder has a one-byte `owns` flag and a pointer. Assigning from another
// holder hands ownership over: the target deletes its previous object when
// it owned it (unless it is the very object being handed over), and the
// source keeps its pointer but no longer owns it. Not thread-safe.

#ifndef VEXA_SRC_FRAME_OWNING_POINTER_H_
#define VEXA_SRC_FRAME_OWNING_POINTER_H_

namespace vexa {

template <class T>
class OwningPointer {
 public:
  // Owns `pointer` exactly when it is non-null.
  explicit OwningPointer(T* pointer = nullptr)
      : owns_(pointer != nullptr), pointer_(pointer) {}

  ~OwningPointer() {
    if (owns_) delete pointer_;
  }

  OwningPointer(const OwningPointer&) = delete;

  // Takes over `source`'s object; see the file comment. Assigning a holder
  // to itself changes nothing.
  OwningPointer& operator=(OwningPointer& source) {
    if (&source == this) return *this;
    if (pointer_ != source.pointer_) {
      if (owns_) delete pointer_;
      owns_ = source.owns_;
    } else if (source.owns_) {
      // Same object: whoever owned it, the target owns it now.
      owns_ = true;
    }
    pointer_ = source.pointer_;
    source.owns_ = false;
    return *this;
  }

  T* get() const { return pointer_; }
  bool owns() const { return owns_; }

  // Gives up ownership; the holder keeps the pointer.
  T* release() {
    owns_ = false;
    return pointer_;
  }

 private:
  bool owns_;
  T* pointer_;
};

// Installs a freshly allocated strategy object (null when the allocation
// failed) in a module's holder. The previous object, if owned, is deleted;
// afterwards the holder owns `fresh`, or holds nothing.
template <class T>
void InstallStrategy(OwningPointer<T>& holder, T* fresh) {
  OwningPointer<T> temporary(fresh);
  holder = temporary;
}

}  // namespace vexa

#endif  // VEXA_SRC_FRAME_OWNING_POINTER_H_
