// Platform 9's objects on Windows (see sound_listener.h): the same calls as
// the library makes, so that either side may come first.

#include "system/sound_listener.h"

#include <cstring>

#include "system/windows/wide.h"

namespace vexa::tool {

struct SoundListener::State {
  HANDLE event = nullptr;
  HANDLE mapping = nullptr;
  void* view = nullptr;
};

SoundListener::SoundListener() : state_(new State) {}

// The system removes each object with its last handle: what this listener
// created goes with it.
SoundListener::~SoundListener() {
  if (state_->view != nullptr) ::UnmapViewOfFile(state_->view);
  if (state_->mapping != nullptr) ::CloseHandle(state_->mapping);
  if (state_->event != nullptr) ::CloseHandle(state_->event);
}

bool SoundListener::Open(std::string* error) {
  state_->event =
      ::CreateEventW(nullptr, FALSE, FALSE, L"Come_From_NaviExe_Even");
  if (state_->event == nullptr) {
    *error = "cannot open the named event Come_From_NaviExe_Even: " +
             SystemErrorText(::GetLastError());
    return false;
  }
  state_->mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr,
                                         PAGE_READWRITE, 0, 4,
                                         L"Navi_Share_Buffer");
  if (state_->mapping != nullptr) {
    state_->view = ::MapViewOfFile(state_->mapping, FILE_MAP_READ, 0, 0, 4);
  }
  if (state_->view == nullptr) {
    *error = "cannot open the shared mapping Navi_Share_Buffer: " +
             SystemErrorText(::GetLastError());
    return false;
  }
  return true;
}

bool SoundListener::Wait(std::uint32_t timeout_ms) {
  return ::WaitForSingleObject(state_->event, timeout_ms) == WAIT_OBJECT_0;
}

std::uint32_t SoundListener::Word() const {
  std::uint32_t word = 0;
  std::memcpy(&word, state_->view, sizeof word);
  return word;
}

std::uint64_t SoundListener::SignalCount() const { return 0; }

std::string SoundListener::NameNote() const { return ""; }

}  // namespace vexa::tool
