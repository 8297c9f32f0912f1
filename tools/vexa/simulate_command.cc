// vexa simulate: runs the library's three jobs against the host platform as
// a navigation program on a head unit would, and prints a transcript of
// every call and of what the simulated head unit received.
//
//  1. Destination hand-over: a destination file is put in a private data
//     directory, PTT_Init takes it over (and deletes it), then a raw
//     message is parsed with a callback registered, and a bad one refused.
//  2. Control hand-over on a chosen platform code, with simulated windows.
//  3. Sound start and stop on a chosen platform code.
//
// libvexa.so is loaded at run time. Its sound module asks for the platform
// code once, while loading, so VEXA_PLATFORM_CODE holds the sound platform
// at load and is switched to the control platform before CTL_Init, which
// asks anew at every call. The tool and the library share one simulated
// window system (libvexa_winsim.so).

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "destination_encoder.h"
#include "destination_reader.h"
#include "environment.h"
#include "failure_explain.h"
#include "input_file.h"
#include "library_session.h"
#include "output_format.h"
#include "packet_view.h"
#include "platform/host/named_event.h"
#include "text_codec.h"
#include "winsim.h"

#ifndef VEXA_TOOL_LIBRARY_DIR
#define VEXA_TOOL_LIBRARY_DIR ""
#endif

namespace vexa::tool {
namespace {

struct SimulateOptions {
  int plan = 2;
  int control_platform = 6;
  int sound_platform = 9;
  std::string library;
  std::string file;  // the user's destination file, or empty
};

constexpr char16_t kEventName[] = u"Come_From_NaviExe_Even";
constexpr char16_t kMappingName[] = u"Navi_Share_Buffer";

// Whether the named object exists now, under the current VEXA_IPC_PREFIX.
bool NamedObjectExists(const char16_t* name, bool event) {
  char host[256];
  if (!platform::host::HostObjectName(name, event, host, sizeof host)) {
    return false;
  }
  const int fd = ::shm_open(host, O_RDONLY, 0);
  if (fd < 0) return errno != ENOENT;
  ::close(fd);
  return true;
}

// "platform 99: not one the library distinguishes, so the default
// variant", or empty for a code the module has a variant of its own for.
std::string DefaultVariantNote(int platform,
                               std::initializer_list<int> distinguished) {
  for (int code : distinguished) {
    if (code == platform) return "";
  }
  return "platform " + std::to_string(platform) +
         ": not one the library distinguishes, so the default variant";
}

// What the destination callback saw. The library calls it on this thread,
// inside PTT_Parse_Raw_Protocol.
struct CallbackLog {
  int calls = 0;
  const DestinationPacket* address = nullptr;
  DestinationPacket copy{};
};
CallbackLog g_callback;

int OnDestination(DestinationPacket* packet) {
  ++g_callback.calls;
  g_callback.address = packet;
  std::memcpy(&g_callback.copy, packet, sizeof g_callback.copy);
  return 0;
}

// Messages that reached the simulated windows, in order.
struct Received {
  winsim::Window window;
  winsim::Message message;
};
std::vector<Received> g_received;
std::map<winsim::Window, std::string> g_titles;

winsim::Window MakeWindow(const std::string& title, bool visible) {
  std::u16string wide;
  Utf8ToUtf16(title, &wide);
  // A broadcast reaches each window with its own handle in the message.
  const winsim::Window window = winsim::CreateWindow(
      wide, visible, [](const winsim::Message& message) {
        g_received.push_back({message.window, message});
        return std::intptr_t{1};
      });
  g_titles[window] = title;
  return window;
}

std::string Describe(winsim::Window window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%" PRIxPTR, window);
  const auto it = g_titles.find(window);
  return it == g_titles.end() ? std::string(text)
                              : std::string(text) + " \"" + it->second + "\"";
}

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%" PRIX64, value);
  return text;
}

// Prints "  <call> -> <result>" with the results lined up.
void Call(const std::string& call, int result, const std::string& note = "") {
  char line[512];
  std::snprintf(line, sizeof line, "  %-52s -> %d", call.c_str(), result);
  std::cout << line << (note.empty() ? "" : "  " + note) << '\n';
}

void Said(const std::string& text) { std::cout << "    " << text << '\n'; }

void PrintPacket(const DestinationPacket& packet, int plan) {
  Outcome outcome;
  outcome.source = "packet";
  outcome.plan = plan;
  outcome.packet = packet;
  std::ostringstream table;
  PrintOutcomes({outcome}, Format::kTable, false, table, std::cerr);
  std::istringstream lines(table.str());
  for (std::string line; std::getline(lines, line);) Said(line);
}

// The text shortened to 40 characters for the transcript, cut between
// UTF-8 characters.
std::string Preview(const std::string& text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
      starts.push_back(i);
  }
  if (starts.size() <= 40) return text;
  return text.substr(0, starts[37]) + "...";
}

std::string MessageName(std::uint32_t message) {
  return std::to_string(message) + " (" + Hex(message) + ")";
}

// What the head unit received since the marks: deliveries to windows and
// broadcasts, foreground switches, display escapes and journal lines of the
// peers (sound library, add-on library, registry).
struct Marks {
  std::size_t deliveries = winsim::Deliveries().size();
  std::size_t received = g_received.size();
  std::size_t foreground = winsim::ForegroundRequests().size();
  std::size_t escapes = winsim::Escapes().size();
  std::size_t journal = winsim::Journal().size();
};

int ReportHeadUnit(const Marks& marks) {
  int events = 0;
  const auto deliveries = winsim::Deliveries();
  for (std::size_t i = marks.deliveries; i < deliveries.size(); ++i) {
    const auto& d = deliveries[i];
    std::string line = "head unit: message " + MessageName(d.message) +
                       " wParam " + std::to_string(d.wparam) + " lParam " +
                       std::to_string(d.lparam);
    if (d.target == winsim::kBroadcast) {
      line += " broadcast to all top-level windows";
    } else if (d.target == 0) {
      line += " sent to no window (none has the title)";
    } else {
      line += " sent to " + Describe(d.target);
    }
    Said(line);
    ++events;
  }
  std::string receivers;
  for (std::size_t i = marks.received; i < g_received.size(); ++i) {
    if (!receivers.empty()) receivers += ", ";
    receivers += Describe(g_received[i].window) + " got " +
                 std::to_string(g_received[i].message.message);
  }
  if (!receivers.empty()) Said("           received: " + receivers);
  const auto foreground = winsim::ForegroundRequests();
  for (std::size_t i = marks.foreground; i < foreground.size(); ++i) {
    Said("head unit: " + Describe(foreground[i]) +
         " brought to the foreground");
    ++events;
  }
  const auto escapes = winsim::Escapes();
  for (std::size_t i = marks.escapes; i < escapes.size(); ++i) {
    const auto& e = escapes[i];
    Said("head unit: display escape " +
         Hex(static_cast<std::uint32_t>(e.code)) +
         " on the device context of " + Describe(e.window) + " (input " +
         std::to_string(e.input_size) + " bytes, output " +
         std::to_string(e.output_size) + " bytes)");
    ++events;
  }
  const auto journal = winsim::Journal();
  for (std::size_t i = marks.journal; i < journal.size(); ++i) {
    Said("head unit: " + journal[i]);
    ++events;
  }
  return events;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The destination file the simulated head unit finds at start.
bool BuildStartFile(int plan, EncodedFile* file, std::string* error) {
  EncodeRequest request;
  request.plan = plan;
  if (plan == 1) {
    request.points = {{39.8375, 116.335, "", "via point"},
                      {39.9083333, 116.3866667, "", "destination"}};
    request.routes = {Fastest, Fastest};
  } else {
    request.points = {{39.916527, 116.397128, "Home", "destination 1"},
                      {31.230416, 121.473701, "Office", "destination 2"}};
    request.routes = {Recommended, Fastest};
  }
  return BuildDestinationFile(request, file, error);
}

bool ParseRaw(const VexaExports& vexa, int plan, const std::string& utf8,
              bool expect_success) {
  std::u16string text;
  Utf8ToUtf16(utf8, &text);
  const int bytes = static_cast<int>(text.size() * 2);
  const int calls_before = g_callback.calls;
  const int result = vexa.ptt_parse_raw_protocol(
      reinterpret_cast<const std::uint16_t*>(text.data()), bytes);
  const std::string call = "PTT_Parse_Raw_Protocol(\"" + Preview(utf8) +
                           "\", " + std::to_string(bytes) + ")";
  if (result != 0) {
    FailureInput input;
    input.plan = plan;
    input.has_text = true;
    std::string converted;
    Utf8ToCodePage(utf8, &converted);
    input.text = converted;
    input.text_bytes_needed = static_cast<int>(converted.size());
    Call(call, result);
    Said(std::string("error ") + ResultName(result) + ": " +
         ExplainFailure(result, input));
  } else {
    Call(call, result);
  }
  const int calls = g_callback.calls - calls_before;
  if (calls == 0) {
    Said("callback not called; the current packet is unchanged");
  } else {
    Said("callback called " + std::string(calls == 1 ? "once" : "again") +
         " with the library's current packet:");
    PrintPacket(g_callback.copy, plan);
  }
  return (result == 0) == expect_success && (calls == 1) == expect_success;
}

bool RunDestinationJob(const VexaExports& vexa, int plan,
                       const std::filesystem::path& data_dir,
                       const std::string& user_file) {
  std::cout << "\n1. Destination hand-over (plan " << plan << ", "
            << (plan == 1 ? "guide message" : "destination list") << ")\n";
  bool ok = true;
  std::string bytes;
  std::string error;
  if (!user_file.empty()) {
    if (!ReadWholeFile(user_file, kMaxStreamBytes, &bytes, &error)) {
      std::cerr << "vexa: " << error << '\n';
      return false;
    }
  } else {
    EncodedFile file;
    if (!BuildStartFile(plan, &file, &error)) {
      std::cerr << "vexa: " << error << '\n';
      return false;
    }
    bytes = file.bytes;
  }
  // What the plan makes of the file, read by the tool beforehand: the
  // library must come to the same result.
  DestinationPacket expected{};
  const int expected_result = ReadBytesWithPlan(bytes, plan, &expected);
  const auto path = data_dir / (plan == 1 ? "guide.dat" : "dest.cld");
  if (!WriteFile(path, bytes)) {
    std::cerr << "vexa: cannot write " << path.string() << '\n';
    return false;
  }
  Said((user_file.empty() ? std::string("the head unit left ")
                          : "your file " + InputName(user_file) +
                                " is left as ") +
       path.filename().string() + " in the data directory (" +
       std::to_string(bytes.size()) + " bytes)");
  Call("PTT_Set_Callback(OnDestination)",
       vexa.ptt_set_callback(&OnDestination));
  const int init = vexa.ptt_init();
  Call("PTT_Init()", init);
  ok = ok && init == 0;
  if (expected_result != 0) {
    // PTT_Init returns 0 either way; the plan's reading failed inside it.
    FailureInput input;
    input.plan = plan;
    input.is_file = true;
    input.file_bytes = bytes;
    input.file_size = static_cast<long long>(bytes.size());
    Said(std::string("the plan does not read the file: error ") +
         ResultName(expected_result) + ": " +
         ExplainFailure(expected_result, input));
    ok = false;
  }
  const bool gone = !std::filesystem::exists(path);
  Said(path.filename().string() +
       (gone ? " was taken over and deleted"
             : expected_result != 0
                   ? " is still there (a file that does not parse is kept)"
                   : " is still there (it was not taken over)"));
  ok = ok && gone == (expected_result == 0);
  if (g_callback.calls != 0) {
    Said("the callback was called by PTT_Init, which it must not be");
    ok = false;
  } else {
    Said("callback not called (PTT_Init never calls it)");
  }
  DestinationPacket packet{};
  Call("PTT_Get_DataPacket(&packet)", vexa.ptt_get_data_packet(&packet));
  PrintPacket(packet, plan);
  if (expected_result == 0 &&
      std::memcmp(&packet, &expected, sizeof packet) != 0) {
    Said("the packet differs from what the plan reads in the file");
    ok = false;
  }

  std::cout << "  a raw message arrives:\n";
  if (plan == 1) {
    ok = ParseRaw(vexa, plan,
                  "(TNC,002,4,3107.1300,12128.6200,B1,3114.0000,12129.5000",
                  true) && ok;
    std::cout << "  a broken raw message arrives:\n";
    ok = ParseRaw(vexa, plan, "(TNC,002,1,3107.1300,12128.6200,B3", false) &&
         ok;
  } else {
    ok = ParseRaw(vexa, plan, "(TNC,113.324520,23.106414,广州塔,最短", true) &&
         ok;
    std::cout << "  a broken raw message arrives:\n";
    ok = ParseRaw(vexa, plan, "(TNC,113.324520,23.106414,Tower,fast", false) &&
         ok;
  }
  DestinationPacket after{};
  vexa.ptt_get_data_packet(&after);
  if (g_callback.address != nullptr &&
      std::memcmp(&after, &g_callback.copy, sizeof after) != 0) {
    Said("PTT_Get_DataPacket does not give the packet the callback saw");
    ok = false;
  }
  return ok;
}

void RunControlJob(const VexaExports& vexa, int platform) {
  std::cout << "\n2. Control hand-over (platform " << platform << ")\n";
  const std::string note = DefaultVariantNote(platform, {2, 3, 6, 13});
  if (!note.empty()) Said(note);
  SetEnvironment("VEXA_PLATFORM_CODE", std::to_string(platform));
  // Created bottom first: each new window goes to the top of the z-order.
  const winsim::Window home = MakeWindow("Home screen", true);
  const winsim::Window overlay = MakeWindow("Volume overlay", false);
  const winsim::Window navigation = MakeWindow("Navigation", true);
  (void)home;
  (void)overlay;
  std::string order;
  for (winsim::Window window : winsim::ZOrder()) {
    if (!order.empty()) order += "; ";
    order += Describe(window) +
             (winsim::Visible(window) ? " visible" : " hidden");
  }
  Said("windows, top first: " + order);
  const Marks marks;
  Call("CTL_Init(" + Describe(navigation) + ")",
       vexa.ctl_init(static_cast<VexaWindow>(navigation)));
  Call("CTL_IsExist()", vexa.ctl_is_exist());
  Call("CTL_Switch_To_Control()", vexa.ctl_switch_to_control());
  if (ReportHeadUnit(marks) == 0) {
    Said("head unit: nothing (platform " + std::to_string(platform) +
         " needs no action to hand over control)");
  }
}

void RunSoundJob(const VexaExports& vexa, int platform) {
  std::cout << "\n3. Sound notification (platform " << platform
            << ", chosen when the library was loaded)\n";
  const std::string note =
      DefaultVariantNote(platform, {2, 3, 4, 6, 9, 10, 13});
  if (!note.empty()) Said(note);
  if (platform == 10) MakeWindow("Navi_Window", true);
  // Platform 9's objects, opened the way another process (vexa listen)
  // opens them; the simulation only looks and never waits on the event, so
  // a listener elsewhere still gets every signal.
  platform::KernelObject event = nullptr;
  void* view = nullptr;
  if (platform == 9) {
    event = platform::host::OpenNamedEventForWait(kEventName);
    view = platform::host::OpenNamedMappingView(kMappingName, 4);
  }
  auto word = [&] {
    std::uint32_t value = 0;
    if (view != nullptr) std::memcpy(&value, view, sizeof value);
    return value;
  };
  auto signals = [&] {
    return event != nullptr ? platform::host::SignalCount(event) : 0;
  };

  // The navigation program's sound record: the library reads only the
  // 32-bit word at offset 4 (platform 9).
  const std::uint32_t record[4] = {0, 41, 0, 0};
  Marks marks;
  std::uint64_t before = signals();
  Call("SND_Start_Play_Sound(record, word 41 at offset 4)",
       vexa.snd_start_play_sound(record));
  int events = ReportHeadUnit(marks);
  if (platform == 9) {
    Said("head unit: shared word Navi_Share_Buffer = " +
         std::to_string(word()) + "; event Come_From_NaviExe_Even signalled " +
         std::to_string(signals() - before) + " time(s)");
    ++events;
  }
  if (events == 0) Said("head unit: nothing (platform " +
                        std::to_string(platform) + " is not notified)");

  marks = Marks();
  before = signals();
  const std::uint32_t word_before = word();
  Call("SND_Stop_Play_Sound(0)", vexa.snd_stop_play_sound(0));
  events = ReportHeadUnit(marks);
  if (platform == 9) {
    Said("head unit: shared word " +
         std::string(word() == word_before ? "unchanged" : "changed") +
         ", event signalled " + std::to_string(signals() - before) +
         " time(s)");
    ++events;
  }
  if (events == 0) Said("head unit: nothing (platform " +
                        std::to_string(platform) + " is not notified)");
  if (view != nullptr) platform::UnmapView(view);
  if (event != nullptr) platform::CloseKernelObject(event);
}

int RunSimulate(const SimulateOptions& options) {
  TemporaryDirectory data_dir("vexa-simulate-");
  SetEnvironment("VEXA_DATA_DIR", data_dir.path().string());
  SetEnvironment("VEXA_GUIDE_FILE", (data_dir.path() / "guide.dat").string());
  SetEnvironment("VEXA_GUIDE_PLAN", std::to_string(options.plan));
  SetEnvironment("VEXA_PLATFORM_CODE", std::to_string(options.sound_platform));
  // Platform 6 finds its add-on library through the registry.
  winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                            u"AddonDll", u"VexaAddonNotify.dll");

  std::cout << "Vexa head-unit simulation (host platform, code page "
            << SystemCodePage() << ")\n";
  Said("data directory " + data_dir.path().string() +
       " (VEXA_DATA_DIR), plan " + std::to_string(options.plan) +
       " (VEXA_GUIDE_PLAN)");
  const std::string prefix = GetEnvironment("VEXA_IPC_PREFIX");
  if (!prefix.empty()) Said("kernel objects prefixed '" + prefix + "'");

  // Platform 9's event and mapping outlive this process on the host; the
  // ones this run brings into being are removed at its end, while objects
  // that a listener (or an earlier run) made stay for it.
  const bool event_existed = NamedObjectExists(kEventName, true);
  const bool mapping_existed = NamedObjectExists(kMappingName, false);
  struct RemoveCreated {
    bool event, mapping;
    ~RemoveCreated() {
      if (!event) platform::host::RemoveNamedEvent(kEventName);
      if (!mapping) platform::host::RemoveNamedMapping(kMappingName);
    }
  } remove_created{event_existed || options.sound_platform != 9,
                   mapping_existed || options.sound_platform != 9};

  LibrarySession session;
  std::string error;
  std::string loaded = options.library;
  bool ok = false;
  if (!loaded.empty()) {
    ok = session.Load(loaded, &error);
  } else {
    // The file name alone is found through the tool's library path; a
    // tool run from elsewhere falls back to the build's library folder.
    loaded = "libvexa.so";
    ok = session.Load(loaded, &error);
    if (!ok && std::string(VEXA_TOOL_LIBRARY_DIR).size() > 0) {
      loaded = std::string(VEXA_TOOL_LIBRARY_DIR) + "/libvexa.so";
      ok = session.Load(loaded, &error);
    }
  }
  if (!ok) {
    std::cerr << "vexa: " << error << '\n';
    return kExitFailed;
  }
  Said("loaded " + loaded + " with VEXA_PLATFORM_CODE=" +
       std::to_string(options.sound_platform) +
       " (the sound module reads it once, at load)");
  const VexaExports& vexa = session.exports();

  const bool destination_ok =
      RunDestinationJob(vexa, options.plan, data_dir.path(), options.file);
  RunControlJob(vexa, options.control_platform);
  RunSoundJob(vexa, options.sound_platform);

  std::cout << '\n'
            << (destination_ok
                    ? "simulation done: all three jobs ran"
                    : "simulation done, but the destination hand-over did "
                      "not go as a head unit expects")
            << '\n';
  return destination_ok ? kExitOk : kExitFailed;
}

}  // namespace

void AddSimulateCommand(CLI::App& app, int* exit_code) {
  auto options = std::make_shared<SimulateOptions>();
  CLI::App* command = app.add_subcommand(
      "simulate",
      "Run the three jobs of the library against the host platform as a "
      "navigation program would (libvexa.so loaded at run time) and print "
      "a transcript.");
  command
      ->add_option("--plan", options->plan,
                   "Destination plan: 1 guide message, 2 destination list")
      ->check(CLI::IsMember({1, 2}))
      ->capture_default_str();
  command
      ->add_option("--control-platform", options->control_platform,
                   "Platform code for the control hand-over (2: display "
                   "escape, 6: next visible window, others: nothing)")
      ->capture_default_str();
  command
      ->add_option("--sound-platform", options->sound_platform,
                   "Platform code for the sound notification (1: broadcast, "
                   "4: sound library, 6: add-on library, 9: shared word and "
                   "event, 10: Navi_Window, 2/3/13: nothing)")
      ->capture_default_str();
  command
      ->add_option("--file", options->file,
                   "Your own destination file (- for standard input), left "
                   "in the data directory for PTT_Init instead of the "
                   "built-in example; read as --plan says")
      ->type_name("FILE");
  command->add_option("--library", options->library,
                      "The library to load (default: libvexa.so of this "
                      "build)")
      ->type_name("PATH");
  command->footer(
      "Exit status: 0 the transcript ran and the destination hand-over "
      "went as expected, 1 otherwise, 2 usage error.");
  command->callback(
      [options, exit_code] { *exit_code = RunSimulate(*options); });
}

}  // namespace vexa::tool
