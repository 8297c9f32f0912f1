// The inputs of the cross-build differential check, generated from a seed
// and an index alone (each input has its own random stream), so that every
// build generates the same inputs in the same order without reading a file.
// Only integer arithmetic is used: no library distribution, no floating
// point, nothing that could differ between compilers or word sizes.

#ifndef VEXA_TESTS_DIFFERENTIAL_GENERATED_INPUTS_H_
#define VEXA_TESTS_DIFFERENTIAL_GENERATED_INPUTS_H_

#include <cstdint>
#include <string>

namespace vexa::differential {

enum class InputKind { kRawGuide, kRawList, kFileGuide, kFileList };

struct Input {
  InputKind kind;
  // Raw messages: the UTF-16 text and the length in bytes handed over
  // (usually twice the units; sometimes odd, short or zero).
  std::u16string text;
  int length_bytes = 0;
  // Destination files: their whole content.
  std::string file;
};

// The destination plan an input needs: 1 for guide messages, 2 for lists.
int PlanOf(InputKind kind);

bool IsFile(InputKind kind);

Input GenerateInput(std::uint64_t seed, std::uint64_t index);

// A readable form of the input: the kind, then the text (printable ASCII
// as it is, every other unit or byte as \uXXXX or \xXX).
std::string DescribeInput(const Input& input);

}  // namespace vexa::differential

#endif  // VEXA_TESTS_DIFFERENTIAL_GENERATED_INPUTS_H_
