// Dumps how Win32 converts code page 936 with no flags and the default
// character, as text lines that make_cp936_table.cc reads:
//   W <unit> <bytes>     WideCharToMultiByte of one UTF-16 unit
//   P <high> <low> <bytes> a surrogate pair that does not give two
//                         default characters (none are expected)
//   S <pairs>            how many surrogate pairs were converted
//   M <bytes> <units>    MultiByteToWideChar of a one- or two-byte sequence
//   T <lead> <units>     a lead byte followed by the terminator (count -1)
// Numbers are hexadecimal; <bytes> and <units> are concatenated 2- and
// 4-digit groups ("-" for none). A Windows program, run under Wine.

#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT kCodePage = 936;

void PrintUnits(const WCHAR* units, int count) {
  if (count <= 0) std::fputs("-", stdout);
  for (int i = 0; i < count; ++i) std::printf("%04X", static_cast<unsigned>(units[i]));
}

}  // namespace

int main() {
  char bytes[16];
  WCHAR units[16];
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    const WCHAR unit = static_cast<WCHAR>(u);
    const int n = WideCharToMultiByte(kCodePage, 0, &unit, 1, bytes, sizeof bytes,
                                      nullptr, nullptr);
    std::printf("W %04X ", u);
    if (n <= 0) std::fputs("-", stdout);
    for (int i = 0; i < n; ++i) std::printf("%02X", static_cast<unsigned char>(bytes[i]));
    std::fputs("\n", stdout);
  }
  unsigned pairs = 0;
  for (unsigned high = 0xD800; high <= 0xDBFF; ++high) {
    for (unsigned low = 0xDC00; low <= 0xDFFF; ++low, ++pairs) {
      const WCHAR pair[2] = {static_cast<WCHAR>(high), static_cast<WCHAR>(low)};
      const int n = WideCharToMultiByte(kCodePage, 0, pair, 2, bytes, sizeof bytes,
                                        nullptr, nullptr);
      if (n == 2 && bytes[0] == '?' && bytes[1] == '?') continue;
      std::printf("P %04X %04X ", high, low);
      if (n <= 0) std::fputs("-", stdout);
      for (int i = 0; i < n; ++i) std::printf("%02X", static_cast<unsigned char>(bytes[i]));
      std::fputs("\n", stdout);
    }
  }
  std::printf("S %X\n", pairs);
  for (unsigned first = 0; first <= 0xFF; ++first) {
    const char one[1] = {static_cast<char>(first)};
    std::printf("M %02X ", first);
    PrintUnits(units, MultiByteToWideChar(kCodePage, 0, one, 1, units, 16));
    std::fputs("\n", stdout);
    for (unsigned second = 0; second <= 0xFF; ++second) {
      const char two[2] = {static_cast<char>(first), static_cast<char>(second)};
      std::printf("M %02X%02X ", first, second);
      PrintUnits(units, MultiByteToWideChar(kCodePage, 0, two, 2, units, 16));
      std::fputs("\n", stdout);
    }
    const char terminated[2] = {static_cast<char>(first), 0};
    std::printf("T %02X ", first);
    PrintUnits(units, MultiByteToWideChar(kCodePage, 0, terminated, -1, units, 16));
    std::fputs("\n", stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
