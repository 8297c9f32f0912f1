// A driver for measurements under valgrind, where a figure must not move
// with machine load:
//
//   vexa_call_probe <what> <calls>
//
// <what> is guide_message or destination_list_511 (one raw call of that
// example), conversion/guide_message or conversion/destination_list_511
// (its UTF-16 to code-page conversion alone), get_data_packet, or dbg_log
// (one message with the file open).
// The probe selects the plan and makes one call first, so that one-time
// set-up (the code-page converter, the log file) is done, and then makes
// <calls> calls through VexaMeasuredCall, the only function whose cost is
// collected:
//
//   valgrind --tool=callgrind --collect-atstart=no
//       --toggle-collect=VexaMeasuredCall vexa_call_probe guide_message 1
//
// Under memcheck, the difference of "total heap usage" between two call
// counts gives the heap allocations per call, malloc included.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "diag/dbg_log.h"
#include "examples.h"
#include "platform/platform.h"
#include "vexa/vexa.h"

namespace {

enum class What { kRawCall, kConversion, kGetDataPacket, kDbgLog };

What g_what = What::kRawCall;
vexa::bench::Example g_example;
DestinationPacket g_packet;
char g_converted[512];

}  // namespace

// Not inlined and not mangled, so valgrind can be told its name.
extern "C" __attribute__((noinline)) int VexaMeasuredCall() {
  switch (g_what) {
    case What::kRawCall:
      return PTT_Parse_Raw_Protocol(g_example.units(), g_example.length_bytes());
    case What::kConversion:
      return vexa::platform::WideToCodePage(
                 vexa::platform::AnsiCodePage(),
                 reinterpret_cast<const char16_t*>(g_example.text.data()),
                 static_cast<int>(g_example.text.size()), g_converted, 511) > 0
                 ? 0
                 : -1;
    case What::kGetDataPacket:
      return PTT_Get_DataPacket(&g_packet);
    case What::kDbgLog:
      vexa::DbgLog("raw message %d parsed: %d points\n", 1, 5);
      return 0;
  }
  return -1;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: %s [conversion/]guide_message|[conversion/]destination_list_511|"
                 "get_data_packet|dbg_log <calls>\n",
                 argv[0]);
    return 2;
  }
  std::string what = argv[1];
  const std::string kConversionPrefix = "conversion/";
  if (what.compare(0, kConversionPrefix.size(), kConversionPrefix) == 0) {
    what.erase(0, kConversionPrefix.size());
    g_what = What::kConversion;
  }
  const long calls = std::strtol(argv[2], nullptr, 10);

  char directory[] = "/tmp/vexa-probe-XXXXXX";
  if (mkdtemp(directory) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  setenv("VEXA_DATA_DIR", directory, 1);

  if (what == "guide_message" || what == "get_data_packet") {
    g_example = vexa::bench::GuideMessageExample();
  } else if (what == "destination_list_511") {
    g_example = vexa::bench::DestinationList511Example();
  } else if (what != "dbg_log") {
    std::fprintf(stderr, "unknown measurement: %s\n", argv[1]);
    return 2;
  }
  if (what == "get_data_packet") g_what = What::kGetDataPacket;
  if (what == "dbg_log") g_what = What::kDbgLog;

  int status = 0;
  if (what != "dbg_log") {
    if (vexa::bench::SelectPlan(g_example.plan) != 0 ||
        PTT_Parse_Raw_Protocol(g_example.units(), g_example.length_bytes()) != 0) {
      std::fprintf(stderr, "the example does not parse\n");
      status = 1;
    }
  } else {
    vexa::DbgLog("probe start\n");
  }
  for (long i = 0; status == 0 && i < calls; ++i) {
    if (VexaMeasuredCall() != 0) status = 1;
  }

  std::string log = std::string(directory) + "/VexaDbgLog.txt";
  std::remove(log.c_str());
  std::remove(directory);
  return status;
}
