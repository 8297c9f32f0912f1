// sound_demo: shows what the head unit receives when the navigation program
// starts and stops its guidance sound, for one platform code.
//
// It loads libvexa.so the way a navigation program does (dlopen, then the
// SND_ exports by name), after setting VEXA_PLATFORM_CODE so that the
// library's process attach chooses that platform's way of telling. Around
// the library it plays the head unit: a top-level window that hears
// broadcasts, a window titled "Navi_Window", the registry value naming the
// add-on library, and a listener on the shared word and event. After each
// call it prints the window messages, the library and registry calls (the
// simulated system's journal) and, for platform 9, the shared word and the
// number of event signals.
//
// Host only; the companion tool's simulate command replaces it.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "platform/host/named_event.h"
#include "winsim.h"

namespace {

using StartCall = int (*)(const void*);
using ValueCall = int (*)(std::uint32_t);

struct SoundExports {
  StartCall start = nullptr;
  ValueCall stop = nullptr;
};

// The head unit's side of platform 9, opened after the library created it.
struct SharedBufferListener {
  vexa::platform::KernelObject event = nullptr;
  std::uint32_t* word = nullptr;
};

std::string Directory(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

winsim::Window g_navi_window = 0;

std::string Target(winsim::Window window) {
  if (window == winsim::kBroadcast) return "broadcast (all top-level windows)";
  if (window == 0) return "window 0 (none found)";
  if (window == g_navi_window) return "window \"Navi_Window\"";
  return "window " + std::to_string(window);
}

// Prints what happened since the last call and forgets it.
void Report(const SharedBufferListener& listener, std::size_t* seen_deliveries,
            std::size_t* seen_journal) {
  std::vector<winsim::Delivery> deliveries = winsim::Deliveries();
  std::vector<std::string> journal = winsim::Journal();
  if (deliveries.size() == *seen_deliveries && journal.size() == *seen_journal) {
    std::printf("  nothing is sent\n");
  }
  for (std::size_t i = *seen_deliveries; i < deliveries.size(); ++i) {
    const winsim::Delivery& d = deliveries[i];
    std::printf("  message %u (0x%X) to %s, wParam %lu, lParam %ld\n",
                d.message, d.message, Target(d.target).c_str(),
                static_cast<unsigned long>(d.wparam),
                static_cast<long>(d.lparam));
  }
  for (std::size_t i = *seen_journal; i < journal.size(); ++i) {
    std::printf("  call: %s\n", journal[i].c_str());
  }
  *seen_deliveries = deliveries.size();
  *seen_journal = journal.size();
  if (listener.word != nullptr) {
    std::printf("  shared word %u, event signalled %llu time(s) so far\n",
                *listener.word,
                static_cast<unsigned long long>(
                    vexa::platform::host::SignalCount(listener.event)));
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Shows what the head unit receives when the navigation program starts\n"
      "and stops its guidance sound, for one hardware platform code. It loads\n"
      "libvexa.so as a navigation program does and plays the head unit around\n"
      "it with the simulated window system and registry."};
  int platform_code = 1;
  std::uint32_t word = 41;
  std::string library = VEXA_DEMO_LIBRARY;
  app.add_option("platform", platform_code,
                 "Platform code the library is loaded with: 1 (or any code\n"
                 "without its own way) broadcast, 2/3/13 nothing, 4 sound\n"
                 "library, 6 add-on library, 9 shared word and event,\n"
                 "10 window \"Navi_Window\"")
      ->capture_default_str();
  app.add_option("--word", word,
                 "Word at offset 4 of the sound record passed to the start\n"
                 "(platform 9 writes it plus one into the shared word)")
      ->capture_default_str();
  app.add_option("--library", library, "Path of libvexa.so")
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);

  // The library reads these while it is loaded: the platform code at
  // attach, the prefix whenever it names a shared object.
  setenv("VEXA_PLATFORM_CODE", std::to_string(platform_code).c_str(), 1);
  std::string prefix = "vexa-sound-demo-" + std::to_string(getpid()) + "-";
  setenv("VEXA_IPC_PREFIX", prefix.c_str(), 1);

  // The head unit's side.
  winsim::CreateWindow(u"HeadUnit", true);
  g_navi_window = winsim::CreateWindow(u"Navi_Window", false);
  winsim::SetRegistryString(
      winsim::kCurrentUser, u"Software\\Shell\\Config", u"AddonDll",
      Wide(Directory(library) + "/VexaAddonNotify.dll"));

  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", library.c_str(), dlerror());
    return 1;
  }
  SoundExports sound;
  sound.start = reinterpret_cast<StartCall>(dlsym(handle, "SND_Start_Play_Sound"));
  sound.stop = reinterpret_cast<ValueCall>(dlsym(handle, "SND_Stop_Play_Sound"));
  if (sound.start == nullptr || sound.stop == nullptr) {
    std::fprintf(stderr, "%s lacks the SND_ exports\n", library.c_str());
    dlclose(handle);
    return 1;
  }

  SharedBufferListener listener;
  if (platform_code == 9) {
    listener.event = vexa::platform::host::OpenNamedEventForWait(u"Come_From_NaviExe_Even");
    listener.word = static_cast<std::uint32_t*>(
        vexa::platform::host::OpenNamedMappingView(u"Navi_Share_Buffer", 4));
  }

  std::printf("platform code %d\n", platform_code);
  std::size_t seen_deliveries = 0;
  std::size_t seen_journal = 0;
  const std::uint32_t record[2] = {0, word};
  int result = sound.start(record);
  std::printf("SND_Start_Play_Sound (record word %u) returned %d\n", word, result);
  Report(listener, &seen_deliveries, &seen_journal);
  result = sound.stop(0);
  std::printf("SND_Stop_Play_Sound returned %d\n", result);
  Report(listener, &seen_deliveries, &seen_journal);

  dlclose(handle);
  if (listener.event != nullptr) vexa::platform::CloseKernelObject(listener.event);
  if (listener.word != nullptr) vexa::platform::UnmapView(listener.word);
  vexa::platform::host::UnlinkNamedObjects(prefix.c_str());
  return 0;
}
