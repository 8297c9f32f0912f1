// Platform 9's objects on the host (see sound_listener.h).

#include "system/sound_listener.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "system/environment.h"
#include "tool_interface/named_objects.h"

namespace vexa::tool {
namespace {

namespace objects = vexa::tool_interface;

constexpr char16_t kEventName[] = u"Come_From_NaviExe_Even";
constexpr char16_t kMappingName[] = u"Navi_Share_Buffer";

// Whether the named object exists now, under the current VEXA_IPC_PREFIX.
bool NamedObjectExists(const char16_t* name, bool event) {
  char host[256];
  if (!objects::HostObjectName(name, event, host, sizeof host)) {
    return false;
  }
  const int fd = ::shm_open(host, O_RDONLY, 0);
  if (fd < 0) return errno != ENOENT;
  ::close(fd);
  return true;
}

// "cannot open the named event Come_From_NaviExe_Even (shared-memory
// object /name.event): <reason>".
std::string CannotOpen(const char* what, const char16_t* name,
                       const char* utf8_name, bool event, int error) {
  char host[256];
  std::string text = std::string("cannot open the ") + what + " " + utf8_name;
  if (objects::HostObjectName(name, event, host, sizeof host)) {
    text += std::string(" (shared-memory object ") + host + ")";
  }
  return text + ": " +
         (error != 0 ? std::strerror(error) : "the object is not usable");
}

}  // namespace

struct SoundListener::State {
  objects::NamedEvent event = nullptr;
  void* view = nullptr;
  bool created_event = false;
  bool created_mapping = false;
};

SoundListener::SoundListener() : state_(new State) {}

// The host's objects outlive every process; those that this listener
// brought into being go with it, while objects that a navigation program
// (or an earlier run) made stay for it.
SoundListener::~SoundListener() {
  if (state_->view != nullptr) objects::UnmapNamedView(state_->view);
  if (state_->event != nullptr) objects::CloseNamedEvent(state_->event);
  if (state_->created_event) objects::RemoveNamedEvent(kEventName);
  if (state_->created_mapping) {
    objects::RemoveNamedMapping(kMappingName);
  }
}

bool SoundListener::Open(std::string* error) {
  const bool event_existed = NamedObjectExists(kEventName, true);
  errno = 0;
  state_->event = objects::OpenNamedEventForWait(kEventName);
  if (state_->event == nullptr) {
    *error = CannotOpen("named event", kEventName, "Come_From_NaviExe_Even",
                        true, errno);
    return false;
  }
  state_->created_event = !event_existed;
  const bool mapping_existed = NamedObjectExists(kMappingName, false);
  errno = 0;
  state_->view = objects::OpenNamedMappingView(kMappingName, 4);
  if (state_->view == nullptr) {
    *error = CannotOpen("shared mapping", kMappingName, "Navi_Share_Buffer",
                        false, errno);
    return false;
  }
  state_->created_mapping = !mapping_existed;
  return true;
}

bool SoundListener::Wait(std::uint32_t timeout_ms) {
  return objects::WaitNamedEvent(state_->event, timeout_ms);
}

std::uint32_t SoundListener::Word() const {
  std::uint32_t word = 0;
  std::memcpy(&word, state_->view, sizeof word);
  return word;
}

std::uint64_t SoundListener::SignalCount() const {
  return objects::SignalCount(state_->event);
}

std::string SoundListener::NameNote() const {
  const std::string prefix = GetEnvironment("VEXA_IPC_PREFIX");
  return prefix.empty() ? std::string() : ", VEXA_IPC_PREFIX '" + prefix + "'";
}

}  // namespace vexa::tool
