// Writes the differential's generated inputs for a driver that cannot run
// the generator itself (the CE suite's, which drives Vexa.dll from Python
// inside an emulator): one line per input,
//   <kind> <length in bytes> <text as hex UTF-16LE> <file as hex>
// with kind 0 to 3 as InputKind and "-" for an empty field.
//
//   vexa_differential_inputs SEED COUNT

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "generated_inputs.h"

namespace {

void PutHex(const unsigned char* bytes, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  if (size == 0) std::fputc('-', stdout);
  for (std::size_t i = 0; i < size; ++i) {
    std::fputc(kDigits[bytes[i] >> 4], stdout);
    std::fputc(kDigits[bytes[i] & 15], stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vexa_differential_inputs SEED COUNT\n");
    return 2;
  }
  const std::uint64_t seed = std::strtoull(argv[1], nullptr, 10);
  const std::uint64_t count = std::strtoull(argv[2], nullptr, 10);
  for (std::uint64_t i = 0; i < count; ++i) {
    const vexa::differential::Input input = vexa::differential::GenerateInput(seed, i);
    std::string text;
    for (char16_t unit : input.text) {
      text += static_cast<char>(unit & 0xFF);
      text += static_cast<char>(unit >> 8);
    }
    std::printf("%d %d ", static_cast<int>(input.kind), input.length_bytes);
    PutHex(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    std::fputc(' ', stdout);
    PutHex(reinterpret_cast<const unsigned char*>(input.file.data()), input.file.size());
    std::fputc('\n', stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
