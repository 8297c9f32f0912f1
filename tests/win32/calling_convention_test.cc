// The calling convention of the boundary on 32-bit x86: every function that
// crosses it is __cdecl, so the caller removes the arguments from the stack.
// The header's types are pinned at compile time; the DLL's exports are
// called through a small assembly routine that pushes the arguments, calls,
// and measures how many bytes the function left on the stack (all of them
// under __cdecl, none under __stdcall). x86_64 has one convention only.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>
#include <vector>

#include "support/vexa_library.h"

#if defined(__i386__)

static_assert(std::is_same_v<DestinationCallback, int(__cdecl*)(DestinationPacket*)>);
static_assert(std::is_same_v<decltype(&::PTT_Init), int(__cdecl*)()>);
static_assert(std::is_same_v<decltype(&::PTT_Parse_Raw_Protocol),
                             int(__cdecl*)(const uint16_t*, int)>);
static_assert(std::is_same_v<decltype(&::CTL_Init), int(__cdecl*)(VexaWindow)>);
static_assert(std::is_same_v<decltype(&::SND_Stop_Play_Sound),
                             int(__cdecl*)(uint32_t)>);
static_assert(!std::is_same_v<decltype(&::SND_Stop_Play_Sound),
                              int(__stdcall*)(uint32_t)>,
              "the compiler tells the conventions apart");

// int CallMeasuringStack(const void* function, int count,
//                        const uint32_t* arguments, int* bytes_left)
// Pushes `count` arguments (the last first, as C does), calls `function`,
// stores in *bytes_left how many bytes of arguments remained on the stack
// after it returned, restores the stack and returns the function's result.
asm(".text\n"
    ".globl _VexaCallMeasuringStack\n"
    "_VexaCallMeasuringStack:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  pushl %ebx\n"
    "  movl 12(%ebp), %ecx\n"
    "  movl 16(%ebp), %esi\n"
    "  movl %esp, %edi\n"  // callee-saved: the stack before the arguments
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  pushl -4(%esi,%ecx,4)\n"
    "  decl %ecx\n"
    "  jmp 1b\n"
    "2:\n"
    "  call *8(%ebp)\n"
    "  movl %edi, %ecx\n"
    "  subl %esp, %ecx\n"
    "  movl %edi, %esp\n"
    "  movl 20(%ebp), %edx\n"
    "  movl %ecx, (%edx)\n"
    "  popl %ebx\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebp\n"
    "  ret\n");
extern "C" int VexaCallMeasuringStack(const void* function, int count,
                                      const std::uint32_t* arguments,
                                      int* bytes_left);

#endif

namespace vexa::test {
namespace {

#if defined(__i386__)
std::uint32_t Word(const void* pointer) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}
#endif

// The exports that take arguments (with none, the two conventions look
// alike), called with arguments that change nothing outside the library.
TEST(CallingConvention, ExportsLeaveTheirArgumentsToTheCaller) {
#if defined(__i386__)
  VexaLibrary vexa;
  ASSERT_TRUE(vexa.loaded());
  DestinationPacket packet;
  struct Call {
    const char* name;
    std::vector<std::uint32_t> arguments;
    int result;
  };
  const Call calls[] = {
      {"PTT_Set_Callback", {0}, VEXA_OK},
      {"PTT_Get_DataPacket", {Word(&packet)}, VEXA_OK},
      {"PTT_Parse_Raw_Protocol", {0, 0}, VEXA_E_NO_PLAN},
      {"CTL_Init", {0}, 1},
      {"SND_Set_Volume", {7}, 1},
      {"SND_Get_Volume", {7}, 1},
  };
  for (const Call& call : calls) {
    const void* function =
        reinterpret_cast<const void*>(GetProcAddress(vexa.module(), call.name));
    ASSERT_NE(function, nullptr) << call.name;
    int bytes_left = -1;
    const int count = static_cast<int>(call.arguments.size());
    const int result = VexaCallMeasuringStack(function, count,
                                              call.arguments.data(), &bytes_left);
    EXPECT_EQ(bytes_left, 4 * count) << call.name << " removed its own arguments";
    EXPECT_EQ(result, call.result) << call.name;
  }
#else
  GTEST_SKIP() << "x86_64 has a single calling convention";
#endif
}

}  // namespace
}  // namespace vexa::test
