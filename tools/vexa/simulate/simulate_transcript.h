// The transcript that vexa simulate prints, and its three jobs, each run
// against the loaded library as a navigation program would run it.
//
// Threading: the simulation's one thread.

#ifndef VEXA_TOOLS_VEXA_SIMULATE_SIMULATE_TRANSCRIPT_H_
#define VEXA_TOOLS_VEXA_SIMULATE_SIMULATE_TRANSCRIPT_H_

#include <filesystem>
#include <initializer_list>
#include <string>

#include "system/head_unit.h"
#include "simulate/library_session.h"
#include "vexa/vexa.h"

namespace vexa::tool {

// "  <call> -> <result>  <note>", the results lined up.
void Call(const std::string& call, int result, const std::string& note = "");
// "    <text>": what the library or the head unit did.
void Said(const std::string& text);
// Each line of `head_unit.Received()`; returns how many events there were.
int SayReceived(HeadUnit& head_unit);
// The packet as decode's table shows it, indented.
void PrintPacket(const DestinationPacket& packet, int plan);
// "platform 99: not one the library distinguishes, so the default
// variant", or empty for a code the module has a variant of its own for.
std::string DefaultVariantNote(int platform,
                               std::initializer_list<int> distinguished);

// 1. Destination hand-over: `bytes` (the user's file, or the built-in
// example) is left in `data_dir` for PTT_Init, then raw messages are
// parsed. True when everything went as a head unit expects.
bool RunDestinationJob(const VexaExports& vexa, int plan,
                       const std::filesystem::path& data_dir,
                       const std::string& user_file, const std::string& bytes);
// The built-in destination file for `plan`.
bool BuildExampleFile(int plan, std::string* bytes, std::string* error);

// 2. Control hand-over on `platform`, with windows of the head unit.
// False, with the reason said, when the head unit's windows cannot be made
// (then nothing was handed over).
bool RunControlJob(const VexaExports& vexa, HeadUnit& head_unit, int platform);

// 3. Sound start and stop on `platform` (chosen when the library loaded).
// False as RunControlJob when platform 10's window cannot be made.
bool RunSoundJob(const VexaExports& vexa, HeadUnit& head_unit, int platform);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SIMULATE_SIMULATE_TRANSCRIPT_H_
