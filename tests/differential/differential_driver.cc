// The cross-build differential driver: runs the generated inputs through
// the library of this build (libvexa.so on the host, Vexa.dll on Windows)
// and prints one line per input, so that scripts/differential.sh can compare
// the builds line by line.
//
//   vexa_differential SEED COUNT          one line per input:
//       <index> <result> <file kept> <callbacks> <FNV-1a of the 568 packet bytes>
//   vexa_differential SEED COUNT --show I runs inputs 0 to I and prints input
//       I and the packet after it in full
//
// Raw messages go through PTT_Parse_Raw_Protocol, destination files through
// PTT_Init (written to the data directory ".", which must be the current
// folder); the packet is read with PTT_Get_DataPacket after every input. The
// plan is set through the stand-in configuration's VEXA_GUIDE_PLAN. The
// caller's C locale is set to a decimal-comma one when there is one, which
// must change nothing.

#include <cinttypes>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "generated_inputs.h"
#include "vexa/vexa.h"

namespace vexa::differential {
namespace {

int g_callbacks = 0;

int CountCallback(DestinationPacket*) {
  ++g_callbacks;
  return 0;
}

void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

const char* FileName(InputKind kind) {
  return kind == InputKind::kFileGuide ? "guide.dat" : "dest.cld";
}

bool FileExists(const char* name) {
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool WriteFile(const char* name, const std::string& content) {
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && written;
}

struct Outcome {
  int result;
  int file_kept;
  int callbacks;
  unsigned char packet[VEXA_PACKET_SIZE];
};

class Runner {
 public:
  bool Run(const Input& input, Outcome* outcome) {
    const int plan = PlanOf(input.kind);
    if (plan != plan_) {
      SetEnvironment("VEXA_GUIDE_PLAN", plan == 1 ? "1" : "2");
      if (PTT_Init() != 0) return false;
      plan_ = plan;
    }
    g_callbacks = 0;
    outcome->file_kept = 0;
    if (IsFile(input.kind)) {
      const char* name = FileName(input.kind);
      if (!WriteFile(name, input.file)) return false;
      outcome->result = PTT_Init();
      outcome->file_kept = FileExists(name) ? 1 : 0;
      if (outcome->file_kept != 0) std::remove(name);
    } else {
      outcome->result = PTT_Parse_Raw_Protocol(
          reinterpret_cast<const std::uint16_t*>(input.text.data()), input.length_bytes);
    }
    outcome->callbacks = g_callbacks;
    return PTT_Get_DataPacket(reinterpret_cast<DestinationPacket*>(outcome->packet)) == 0;
  }

 private:
  int plan_ = 0;
};

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
#ifdef _WIN32
  // The same bytes as the host: no "\r\n" for "\n".
  _setmode(_fileno(stdout), _O_BINARY);
  if (GetACP() != 936) {
    std::fprintf(stderr, "vexa_differential: the ANSI code page is %u, not 936 (GBK)\n",
                 GetACP());
    return 1;
  }
  const char* const kCommaLocales[] = {"German", "de-DE"};
#else
  const char* const kCommaLocales[] = {"de_DE.UTF-8", "de_DE.utf8"};
#endif
  for (const char* name : kCommaLocales) {
    if (std::setlocale(LC_ALL, name) != nullptr) break;
  }
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

  SetEnvironment("VEXA_DATA_DIR", ".");
  std::remove("guide.dat");
  std::remove("dest.cld");
  PTT_Set_Callback(CountCallback);

  Runner runner;
  Outcome outcome;
  const std::uint64_t last = show >= 0 ? static_cast<std::uint64_t>(show) + 1 : count;
  for (std::uint64_t i = 0; i < last; ++i) {
    const Input input = GenerateInput(seed, i);
    if (!runner.Run(input, &outcome)) {
      std::fprintf(stderr, "vexa_differential: input %" PRIu64 " could not be run\n", i);
      return 1;
    }
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
