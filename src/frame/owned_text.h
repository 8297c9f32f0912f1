// OwnedText: an owned, NUL-terminated 8-bit text on the heap, made by
// joining two pieces. The library builds its file paths with it. The buffer
// is allocated with new (std::nothrow), so running out of memory is a
// result the caller tests rather than an exception, and it is released when
// the holder goes out of scope, on every way out. Not thread-safe.

#ifndef VEXA_SRC_FRAME_OWNED_TEXT_H_
#define VEXA_SRC_FRAME_OWNED_TEXT_H_

namespace vexa {

class OwnedText {
 public:
  OwnedText() = default;
  ~OwnedText() { delete[] text_; }
  OwnedText(const OwnedText&) = delete;
  OwnedText& operator=(const OwnedText&) = delete;

  // Replaces the text with `first` followed by `second`. true on success;
  // false when there is no memory for it, and the text is then empty.
  // Either piece may be (part of) this holder's own text.
  // REQUIRES: both are NUL-terminated (neither may be null).
  bool Assign(const char* first, const char* second = "");

  // The text; "" before a successful Assign. Valid until the next Assign or
  // the holder's destruction.
  const char* c_str() const { return text_ != nullptr ? text_ : ""; }

 private:
  char* text_ = nullptr;
};

}  // namespace vexa

#endif  // VEXA_SRC_FRAME_OWNED_TEXT_H_
