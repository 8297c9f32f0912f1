// Named kernel objects on the host, as POSIX shared-memory objects that
// another process can open (see named_event.h for the naming and lifetime).
//
// The mapping is a shared-memory object of the requested size, created or
// opened as it is (the size only ever grows), and mapped whole.
//
// The event is a small shared segment holding a process-shared, robust
// mutex, a condition variable on the monotonic clock, the signalled flag
// and a count of signals. Whoever creates the segment (O_EXCL decides)
// initialises it and then sets the ready mark; everyone else waits for the
// mark. A mark that does not appear within a second means the creator died
// half-way: the segment is removed and built again.
//
// Handles are small heap objects owned by the caller until
// CloseKernelObject. Views are kept in a small table so that UnmapView
// knows their size.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/host/host_internal.h"
#include "platform/host/named_event.h"

namespace vexa::platform::host {
namespace {

constexpr std::size_t kMaxHostName = 256;
// "VXEV" and a layout version.
constexpr std::uint32_t kEventReady = 0x56455856u + 1u;
constexpr int kReadyWaitMs = 1000;
constexpr int kMaxViews = 256;

struct EventSegment {
  std::atomic<std::uint32_t> ready;
  std::uint32_t manual_reset;
  std::uint32_t signalled;
  std::uint32_t reserved;
  std::uint64_t signal_count;
  pthread_mutex_t mutex;
  pthread_cond_t cond;
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free,
              "the ready mark is shared between processes");

enum class Kind : std::uint32_t { kEvent = 0x45564e54u, kMapping = 0x4d415050u };

struct HostObject {
  Kind kind;
  int fd;                 // the mapping's object; -1 for an event
  std::size_t size;       // the mapping's size
  EventSegment* event;    // the event's segment; null for a mapping
};

struct View {
  void* address;
  std::size_t size;
};

std::mutex g_views_mutex;
View g_views[kMaxViews];

HostObject* AsObject(KernelObject object, Kind kind) {
  auto* host_object = static_cast<HostObject*>(object);
  if (host_object == nullptr || host_object->kind != kind) return nullptr;
  return host_object;
}

void SleepMs(long ms) {
  timespec pause{0, ms * 1000000L};
  nanosleep(&pause, nullptr);
}

bool LockSegment(EventSegment* segment) {
  int result = pthread_mutex_lock(&segment->mutex);
  if (result == EOWNERDEAD) {
    // A process died holding the lock; the flag and count are whole words,
    // so the state is still sound.
    pthread_mutex_consistent(&segment->mutex);
    return true;
  }
  return result == 0;
}

bool InitialiseSegment(EventSegment* segment, bool manual_reset,
                       bool initially_signalled) {
  pthread_mutexattr_t mutex_attr;
  pthread_mutexattr_init(&mutex_attr);
  pthread_mutexattr_setpshared(&mutex_attr, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&mutex_attr, PTHREAD_MUTEX_ROBUST);
  int mutex_result = pthread_mutex_init(&segment->mutex, &mutex_attr);
  pthread_mutexattr_destroy(&mutex_attr);

  pthread_condattr_t cond_attr;
  pthread_condattr_init(&cond_attr);
  pthread_condattr_setpshared(&cond_attr, PTHREAD_PROCESS_SHARED);
  pthread_condattr_setclock(&cond_attr, CLOCK_MONOTONIC);
  int cond_result = pthread_cond_init(&segment->cond, &cond_attr);
  pthread_condattr_destroy(&cond_attr);
  if (mutex_result != 0 || cond_result != 0) return false;

  segment->manual_reset = manual_reset ? 1u : 0u;
  segment->signalled = initially_signalled ? 1u : 0u;
  segment->signal_count = 0;
  segment->ready.store(kEventReady, std::memory_order_release);
  return true;
}

EventSegment* MapSegment(int fd) {
  void* address = mmap(nullptr, sizeof(EventSegment), PROT_READ | PROT_WRITE,
                       MAP_SHARED, fd, 0);
  return address == MAP_FAILED ? nullptr : static_cast<EventSegment*>(address);
}

// Waits for another creator to size and initialise the segment behind `fd`.
EventSegment* AwaitSegment(int fd) {
  EventSegment* segment = nullptr;
  for (int waited = 0; waited <= kReadyWaitMs; ++waited) {
    struct stat status {};
    if (segment == nullptr && fstat(fd, &status) == 0 &&
        static_cast<std::size_t>(status.st_size) >= sizeof(EventSegment)) {
      segment = MapSegment(fd);
    }
    if (segment != nullptr &&
        segment->ready.load(std::memory_order_acquire) == kEventReady) {
      return segment;
    }
    SleepMs(1);
  }
  if (segment != nullptr) munmap(segment, sizeof(EventSegment));
  return nullptr;
}

EventSegment* OpenEventSegment(const char* host_name, bool manual_reset,
                               bool initially_signalled) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = shm_open(host_name, O_CREAT | O_EXCL | O_RDWR, 0600);
    if (fd >= 0) {
      EventSegment* segment = nullptr;
      if (ftruncate(fd, sizeof(EventSegment)) == 0) segment = MapSegment(fd);
      close(fd);
      if (segment != nullptr &&
          InitialiseSegment(segment, manual_reset, initially_signalled)) {
        return segment;
      }
      if (segment != nullptr) munmap(segment, sizeof(EventSegment));
      shm_unlink(host_name);
      return nullptr;
    }
    if (errno != EEXIST) return nullptr;
    fd = shm_open(host_name, O_RDWR, 0);
    if (fd < 0) {
      if (errno == ENOENT) continue;  // removed meanwhile: create it
      return nullptr;
    }
    EventSegment* segment = AwaitSegment(fd);
    close(fd);
    if (segment != nullptr) return segment;
    // Left half-built by a creator that died: build it again.
    shm_unlink(host_name);
  }
  return nullptr;
}

// Sizes a mapping's object to at least `size` bytes; never shrinks it, so an
// opener and a creator racing each other agree. Returns the resulting size,
// or 0 on failure.
std::size_t GrowObject(int fd, std::size_t size) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return 0;
  auto current = static_cast<std::size_t>(status.st_size);
  if (current >= size) return current;
  if (ftruncate(fd, static_cast<off_t>(size)) != 0) return 0;
  return size;
}

bool RecordView(void* address, std::size_t size) {
  std::lock_guard<std::mutex> lock(g_views_mutex);
  for (View& view : g_views) {
    if (view.address == nullptr) {
      view = {address, size};
      return true;
    }
  }
  return false;
}

}  // namespace

bool HostObjectName(const char16_t* name, bool event, char* out,
                    std::size_t capacity) {
  if (name == nullptr || out == nullptr) return false;
  const char* prefix = std::getenv("VEXA_IPC_PREFIX");
  if (prefix == nullptr) prefix = "";
  char utf8[kMaxHostName];
  if (!Utf16ToUtf8(name, utf8, sizeof utf8, /*backslash_to_slash=*/false)) {
    return false;
  }
  int written = std::snprintf(out, capacity, "/%s%s%s", prefix, utf8,
                              event ? ".event" : "");
  if (written < 0 || static_cast<std::size_t>(written) >= capacity) return false;
  // Only the leading '/' may stay a '/' in a shared-memory name.
  for (char* p = out + 1; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') *p = '_';
  }
  return true;
}

KernelObject HostCreateNamedEvent(const char16_t* name, bool manual_reset,
                                  bool initially_signalled) {
  char host_name[kMaxHostName];
  if (!HostObjectName(name, /*event=*/true, host_name, sizeof host_name) ||
      name[0] == 0) {
    return nullptr;
  }
  auto* object = new (std::nothrow) HostObject{Kind::kEvent, -1, 0, nullptr};
  if (object == nullptr) return nullptr;
  object->event = OpenEventSegment(host_name, manual_reset, initially_signalled);
  if (object->event == nullptr) {
    delete object;
    return nullptr;
  }
  return object;
}

bool HostSignalEvent(KernelObject event) {
  HostObject* object = AsObject(event, Kind::kEvent);
  if (object == nullptr) return false;
  EventSegment* segment = object->event;
  if (!LockSegment(segment)) return false;
  segment->signalled = 1;
  ++segment->signal_count;
  // An auto-reset event releases one waiter; a manual one releases all.
  if (segment->manual_reset != 0) {
    pthread_cond_broadcast(&segment->cond);
  } else {
    pthread_cond_signal(&segment->cond);
  }
  pthread_mutex_unlock(&segment->mutex);
  return true;
}

KernelObject HostCreateNamedMapping(const char16_t* name, std::uint32_t size) {
  char host_name[kMaxHostName];
  if (size == 0 ||
      !HostObjectName(name, /*event=*/false, host_name, sizeof host_name) ||
      name[0] == 0) {
    return nullptr;
  }
  auto* object = new (std::nothrow) HostObject{Kind::kMapping, -1, 0, nullptr};
  if (object == nullptr) return nullptr;
  // Create it, or open the existing object as it is, as Windows hands back
  // an existing mapping of that name.
  int fd = shm_open(host_name, O_CREAT | O_RDWR, 0600);
  std::size_t actual = fd >= 0 ? GrowObject(fd, size) : 0;
  if (actual == 0) {
    if (fd >= 0) close(fd);
    delete object;
    return nullptr;
  }
  object->fd = fd;
  object->size = actual;
  return object;
}

void* HostMapWholeView(KernelObject mapping) {
  HostObject* object = AsObject(mapping, Kind::kMapping);
  if (object == nullptr) return nullptr;
  void* address = mmap(nullptr, object->size, PROT_READ | PROT_WRITE,
                       MAP_SHARED, object->fd, 0);
  if (address == MAP_FAILED) return nullptr;
  if (!RecordView(address, object->size)) {
    munmap(address, object->size);
    return nullptr;
  }
  return address;
}

void HostUnmapView(void* view) {
  if (view == nullptr) return;
  std::size_t size = 0;
  {
    std::lock_guard<std::mutex> lock(g_views_mutex);
    for (View& entry : g_views) {
      if (entry.address == view) {
        size = entry.size;
        entry = {nullptr, 0};
        break;
      }
    }
  }
  if (size != 0) munmap(view, size);
}

void HostCloseKernelObject(KernelObject object) {
  auto* host_object = static_cast<HostObject*>(object);
  if (host_object == nullptr) return;
  if (host_object->kind == Kind::kEvent) {
    munmap(host_object->event, sizeof(EventSegment));
  } else if (host_object->kind == Kind::kMapping) {
    close(host_object->fd);
  } else {
    return;  // not one of ours
  }
  host_object->kind = Kind{};
  delete host_object;
}

// ---- Host-only access (named_event.h) -------------------------------------

KernelObject OpenNamedEventForWait(const char16_t* name) {
  return HostCreateNamedEvent(name, /*manual_reset=*/false,
                              /*initially_signalled=*/false);
}

bool WaitNamedEvent(KernelObject event, std::uint32_t timeout_ms) {
  HostObject* object = AsObject(event, Kind::kEvent);
  if (object == nullptr) return false;
  EventSegment* segment = object->event;

  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += timeout_ms / 1000;
  deadline.tv_nsec += static_cast<long>(timeout_ms % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }

  if (!LockSegment(segment)) return false;
  while (segment->signalled == 0) {
    int result = pthread_cond_timedwait(&segment->cond, &segment->mutex, &deadline);
    if (result == EOWNERDEAD) {
      pthread_mutex_consistent(&segment->mutex);
    } else if (result != 0) {
      break;  // ETIMEDOUT, or a broken object
    }
  }
  bool signalled = segment->signalled != 0;
  if (signalled && segment->manual_reset == 0) segment->signalled = 0;
  pthread_mutex_unlock(&segment->mutex);
  return signalled;
}

std::uint64_t SignalCount(KernelObject event) {
  HostObject* object = AsObject(event, Kind::kEvent);
  if (object == nullptr) return 0;
  EventSegment* segment = object->event;
  if (!LockSegment(segment)) return 0;
  std::uint64_t count = segment->signal_count;
  pthread_mutex_unlock(&segment->mutex);
  return count;
}

void* OpenNamedMappingView(const char16_t* name, std::uint32_t size) {
  KernelObject mapping = HostCreateNamedMapping(name, size);
  if (mapping == nullptr) return nullptr;
  void* view = HostMapWholeView(mapping);
  // The view keeps the object alive; the handle is no longer needed.
  HostCloseKernelObject(mapping);
  return view;
}

bool RemoveNamedEvent(const char16_t* name) {
  char host_name[kMaxHostName];
  return HostObjectName(name, /*event=*/true, host_name, sizeof host_name) &&
         shm_unlink(host_name) == 0;
}

bool RemoveNamedMapping(const char16_t* name) {
  char host_name[kMaxHostName];
  return HostObjectName(name, /*event=*/false, host_name, sizeof host_name) &&
         shm_unlink(host_name) == 0;
}

int UnlinkNamedObjects(const char* prefix) {
  if (prefix == nullptr || prefix[0] == '\0') return 0;
  // glibc keeps its shared-memory objects in /dev/shm.
  DIR* directory = opendir("/dev/shm");
  if (directory == nullptr) return 0;
  std::size_t prefix_length = std::strlen(prefix);
  int removed = 0;
  while (dirent* entry = readdir(directory)) {
    if (std::strncmp(entry->d_name, prefix, prefix_length) != 0) continue;
    char host_name[kMaxHostName];
    int written = std::snprintf(host_name, sizeof host_name, "/%s", entry->d_name);
    if (written > 0 && static_cast<std::size_t>(written) < sizeof host_name &&
        shm_unlink(host_name) == 0) {
      ++removed;
    }
  }
  closedir(directory);
  return removed;
}

}  // namespace vexa::platform::host
