// Platform 9's sound start notification seen from another process, as the
// head unit's listener sees it: the named auto-reset event
// "Come_From_NaviExe_Even" and the 4-byte shared word in the named mapping
// "Navi_Share_Buffer". Opening creates them when the navigation program has
// not yet, as the library's own creation opens existing ones.
//
// Each system has its own implementation:
// - posix/sound_listener.cc: the host library's POSIX shared-memory objects
//   (named after VEXA_IPC_PREFIX), reached through the library's interface
//   for the tool (tool_interface/named_objects.h); they outlive the
//   processes, and the ones
//   this listener created are removed when it goes.
// - windows/sound_listener.cc: the real kernel objects (CreateEventW,
//   CreateFileMappingW), which the system removes with the last handle.
//
// Threading: one thread.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_SOUND_LISTENER_H_
#define VEXA_TOOLS_VEXA_SYSTEM_SOUND_LISTENER_H_

#include <cstdint>
#include <memory>
#include <string>

namespace vexa::tool {

class SoundListener {
 public:
  SoundListener();
  ~SoundListener();
  SoundListener(const SoundListener&) = delete;
  SoundListener& operator=(const SoundListener&) = delete;

  // Opens (or creates) the event and the mapping. False with a message
  // that names the object and gives the system's reason.
  bool Open(std::string* error);

  // Waits up to `timeout_ms` for the event; true when it was signalled (the
  // wait resets it).
  bool Wait(std::uint32_t timeout_ms);

  // The shared word now.
  std::uint32_t Word() const;

  // How many times the event has been signalled in all, by any process, or
  // 0 when the system keeps no count (Windows).
  std::uint64_t SignalCount() const;

  // What names the objects carry beyond their own, for the banner: the
  // host's ", VEXA_IPC_PREFIX 'p'", or empty.
  std::string NameNote() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_SOUND_LISTENER_H_
