// The simulation's transcript (see simulate_transcript.h).

#include "simulate/simulate_transcript.h"

#include <cstdio>
#include <iostream>
#include <sstream>

#include "formats/output_format.h"

namespace vexa::tool {

std::string DefaultVariantNote(int platform,
                               std::initializer_list<int> distinguished) {
  for (int code : distinguished) {
    if (code == platform) return "";
  }
  return "platform " + std::to_string(platform) +
         ": not one the library distinguishes, so the default variant";
}

void Call(const std::string& call, int result, const std::string& note) {
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
  std::istringstream lines(OutcomesText({outcome}, Format::kTable, false));
  for (std::string line; std::getline(lines, line);) Said(line);
}

int SayReceived(HeadUnit& head_unit) {
  int events = 0;
  for (const std::string& line : head_unit.Received()) {
    Said(line);
    if (line.rfind("head unit: ", 0) == 0) ++events;
  }
  return events;
}

}  // namespace vexa::tool
