// libvexa.so or Vexa.dll loaded at run time, as a navigation program loads
// Vexa.dll: through the tool's system seam (LoadToolLibrary), which says
// why a load failed, with the eleven exports
// looked up by name. Loading runs the library's process-attach work (the
// sound module asks for the platform code then), so the environment the
// stand-in peers read must be set before Load. Once loaded, the library
// stays loaded until the process ends (see the .cc).

#ifndef VEXA_TOOLS_VEXA_SIMULATE_LIBRARY_SESSION_H_
#define VEXA_TOOLS_VEXA_SIMULATE_LIBRARY_SESSION_H_

#include <cstdint>
#include <string>

#include "tool_interface/library_access.h"
#include "vexa/vexa.h"

namespace vexa::tool {

struct VexaExports {
  int (*ctl_init)(VexaWindow) = nullptr;
  int (*ctl_is_exist)() = nullptr;
  int (*ctl_switch_to_control)() = nullptr;
  int (*ptt_get_data_packet)(DestinationPacket*) = nullptr;
  int (*ptt_init)() = nullptr;
  int (*ptt_parse_raw_protocol)(const std::uint16_t*, int) = nullptr;
  int (*ptt_set_callback)(DestinationCallback) = nullptr;
  int (*snd_get_volume)(std::uint32_t) = nullptr;
  int (*snd_set_volume)(std::uint32_t) = nullptr;
  int (*snd_start_play_sound)(const void*) = nullptr;
  int (*snd_stop_play_sound)(std::uint32_t) = nullptr;
};

class LibrarySession {
 public:
  LibrarySession() = default;
  ~LibrarySession();
  LibrarySession(const LibrarySession&) = delete;
  LibrarySession& operator=(const LibrarySession&) = delete;

  // Loads `path` (a file name searched on the library path, or a full
  // path) and finds every export. On failure returns false with a message
  // that gives the system's reason.
  bool Load(const std::string& path, std::string* error);

  const VexaExports& exports() const { return exports_; }

 private:
  tool_interface::Library library_ = nullptr;
  VexaExports exports_;
};

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SIMULATE_LIBRARY_SESSION_H_
