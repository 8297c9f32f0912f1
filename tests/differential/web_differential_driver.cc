// The cross-build differential driver of the web build: runs the generated
// inputs through the web module's functions (web/module/web_api.h) under
// Node and prints the lines of differential_driver.cc, so that
// scripts/differential.sh compares the module with the host as it compares
// the other builds.
//
// The module keeps no state and touches no files, so the driver plays the
// library's part around it: a destination file goes through the module's
// file reading as PTT_Init would read it (PTT_Init returns 0; the file is
// deleted, so not kept, exactly when reading gave 0), a raw message through
// its UTF-16 conversion and parsing as PTT_Parse_Raw_Protocol (one callback
// on success), and the current packet is replaced only on success.

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "generated_inputs.h"
#include "module/web_api.h"

namespace vexa::differential {
namespace {

struct Outcome {
  int result;
  int file_kept;
  int callbacks;
  unsigned char packet[VEXA_PACKET_SIZE];
};

void Run(const Input& input, Outcome* outcome) {
  DestinationPacket working;
  outcome->file_kept = 0;
  outcome->callbacks = 0;
  int parsed;
  if (IsFile(input.kind)) {
    parsed = vexa_web_read_file(PlanOf(input.kind),
                                reinterpret_cast<const unsigned char*>(input.file.data()),
                                static_cast<int>(input.file.size()), &working);
    outcome->result = 0;
    outcome->file_kept = parsed != 0 ? 1 : 0;
  } else {
    parsed = vexa_web_parse_raw(PlanOf(input.kind),
                                reinterpret_cast<const std::uint16_t*>(input.text.data()),
                                input.length_bytes, &working);
    outcome->result = parsed;
    outcome->callbacks = parsed == 0 ? 1 : 0;
  }
  if (parsed == 0) std::memcpy(outcome->packet, &working, sizeof working);
}

std::uint64_t Fnv1a(const unsigned char* bytes, std::size_t size) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < size; ++i) {
    hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  }
  return hash;
}

void PrintPacket(const unsigned char* packet) {
  for (int row = 0; row < VEXA_PACKET_SIZE; row += 16) {
    std::printf("  %04x ", row);
    for (int i = row; i < row + 16 && i < VEXA_PACKET_SIZE; ++i) std::printf(" %02x", packet[i]);
    std::printf("\n");
  }
}

int Usage() {
  std::fprintf(stderr, "usage: vexa_differential SEED COUNT [--show INDEX]\n");
  return 2;
}

int Main(int argc, char** argv) {
  if (argc != 3 && argc != 5) return Usage();
  const std::uint64_t seed = std::strtoull(argv[1], nullptr, 10);
  const std::uint64_t count = std::strtoull(argv[2], nullptr, 10);
  long long show = -1;
  if (argc == 5) {
    if (std::strcmp(argv[3], "--show") != 0) return Usage();
    show = std::strtoll(argv[4], nullptr, 10);
  }
  // The library's packet before any success: all zero.
  Outcome outcome = {};
  const std::uint64_t last = show >= 0 ? static_cast<std::uint64_t>(show) + 1 : count;
  for (std::uint64_t i = 0; i < last; ++i) {
    const Input input = GenerateInput(seed, i);
    Run(input, &outcome);
    if (show < 0) {
      std::printf("%" PRIu64 " %d %d %d %016" PRIx64 "\n", i, outcome.result, outcome.file_kept,
                  outcome.callbacks, Fnv1a(outcome.packet, sizeof outcome.packet));
    } else if (i == last - 1) {
      std::printf("input %" PRIu64 ": %s\n", i, DescribeInput(input).c_str());
      std::printf("result %d, file kept %d, callbacks %d, packet:\n", outcome.result,
                  outcome.file_kept, outcome.callbacks);
      PrintPacket(outcome.packet);
    }
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vexa::differential

int main(int argc, char** argv) { return vexa::differential::Main(argc, argv); }
