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
// The library (libvexa.so, or on Windows the real Vexa.dll beside the
// stand-in peers) is loaded at run time. Its sound module asks for the
// platform code once, while loading, so VEXA_PLATFORM_CODE holds the sound
// platform at load and is switched to the control platform before
// CTL_Init, which asks anew at every call. The head unit (head_unit.h) is
// the host's simulated window system, which the tool and the library
// share, or the real windows of a Windows desktop.
//
// The jobs are in destination_job.cc and device_jobs.cc.

#include <iostream>
#include <memory>
#include <string>

#include "commands/commands.h"
#include "system/environment.h"
#include "system/head_unit.h"
#include "system/input_file.h"
#include "simulate/library_session.h"
#include "simulate/simulate_transcript.h"
#include "system/system.h"
#include "text/text_codec.h"
#include "tool_interface/code_page_access.h"

namespace vexa::tool {
namespace {

struct SimulateOptions {
  int plan = 2;
  int control_platform = 6;
  int sound_platform = 9;
  std::string library;
  std::string file;  // the user's destination file, or empty
};

int RunSimulate(const SimulateOptions& options) {
  // The user's file is read first: a file that cannot be read ends the run
  // before anything is loaded.
  std::string bytes;
  std::string error;
  if (!options.file.empty()) {
    if (!ReadWholeFile(options.file, kMaxStreamBytes, &bytes, &error)) {
      std::cerr << "vexa: " << error << '\n';
      return kExitFailed;
    }
  } else if (!BuildExampleFile(options.plan, &bytes, &error)) {
    std::cerr << "vexa: " << error << '\n';
    return kExitFailed;
  }

  TemporaryDirectory data_dir("vexa-simulate-");
  const std::string data_path = data_dir.path().u8string();
  SetEnvironment("VEXA_DATA_DIR", data_path);
  SetEnvironment("VEXA_GUIDE_FILE", (data_dir.path() / "guide.dat").u8string());
  SetEnvironment("VEXA_GUIDE_PLAN", std::to_string(options.plan));
  SetEnvironment("VEXA_PLATFORM_CODE", std::to_string(options.sound_platform));
  HeadUnit head_unit(options.sound_platform, data_dir.path());
  // Platform 6 finds its add-on library through the registry.
  head_unit.SetAddonLibrary(u"VexaAddonNotify.dll");

  // The library converts raw messages with the system's code page, as it
  // does on a head unit: that is what is simulated, so it is named.
  const unsigned library_code_page = tool_interface::AnsiCodePage();
  std::cout << "Vexa head-unit simulation (" << HeadUnit::SystemName()
            << ", code page " << library_code_page << ")\n";
  Said("data directory " + data_path + " (VEXA_DATA_DIR), plan " +
       std::to_string(options.plan) + " (VEXA_GUIDE_PLAN)");
  const std::string prefix = GetEnvironment("VEXA_IPC_PREFIX");
  if (!prefix.empty()) Said("kernel objects prefixed '" + prefix + "'");

  LibrarySession session;
  std::string loaded = options.library;
  bool ok = false;
  if (!loaded.empty()) {
    ok = session.Load(loaded, &error);
  } else {
    // The first that loads; the first failure says why.
    std::string first_error;
    for (const std::string& candidate : DefaultLibraryPaths()) {
      loaded = candidate;
      ok = session.Load(loaded, &error);
      if (ok) break;
      if (first_error.empty()) first_error = error;
    }
    if (!ok) error = first_error;
  }
  if (!ok) {
    std::cerr << "vexa: " << error << '\n';
    return kExitFailed;
  }
  Said("loaded " + loaded + " with VEXA_PLATFORM_CODE=" +
       std::to_string(options.sound_platform) +
       " (the sound module reads it once, at load)");
  if (library_code_page != 936) {
    Said("the library converts raw messages with code page " +
         std::to_string(library_code_page) +
         ", this system's; a head unit's is 936 (GBK), so a name or route "
         "word that code page " + std::to_string(library_code_page) +
         " lacks is refused here but taken on a head unit");
  }
  const VexaExports& vexa = session.exports();

  const bool destination_ok = RunDestinationJob(
      vexa, options.plan, data_dir.path(), options.file, bytes);
  const bool control_ran =
      RunControlJob(vexa, head_unit, options.control_platform);
  const bool sound_ran = RunSoundJob(vexa, head_unit, options.sound_platform);

  std::cout << '\n';
  if (!control_ran || !sound_ran) {
    std::cout << "simulation failed: the head unit's windows could not be "
                 "created (see above)\n";
    return kExitFailed;
  }
  std::cout << (destination_ok
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
      "Run the three jobs of the library as a navigation program would "
      "(libvexa.so, or Vexa.dll on Windows, loaded at run time) against a "
      "head unit (simulated on the host, real windows on Windows) and "
      "print a transcript.");
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
                      "build, or Vexa.dll beside vexa.exe or in the SDK's "
                      "bin folder)")
      ->type_name("PATH");
  command->footer(
      "Exit status: 0 the transcript ran and the destination hand-over "
      "went as expected, 1 otherwise, 2 usage error.");
  command->callback(
      [options, exit_code] { *exit_code = RunSimulate(*options); });
}

}  // namespace vexa::tool
