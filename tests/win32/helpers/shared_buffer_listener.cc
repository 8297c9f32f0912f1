// Helper process for platform 9: a listener in another process, as the head
// unit has one. Opens the event "Come_From_NaviExe_Even" and the mapping
// "Navi_Share_Buffer" that the library created, prints "ready", then answers
// commands read line by line from stdin:
//   wait  waits up to 5 s for the event and prints "signal <word>" with the
//         shared word read after the wake-up, or "timeout";
//   poll  the same without waiting, to show that no further signal is
//         pending (the event is auto-reset, so each signal wakes one wait);
//   quit  ends the helper.
// Prints "error <step> <code>" and ends when an object cannot be opened.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

void Answer(HANDLE event, const volatile std::uint32_t* word, DWORD wait_ms) {
  if (WaitForSingleObject(event, wait_ms) == WAIT_OBJECT_0) {
    std::printf("signal %lu\n", static_cast<unsigned long>(*word));
  } else {
    std::printf("timeout\n");
  }
  std::fflush(stdout);
}

}  // namespace

int main() {
  HANDLE event = OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE,
                            L"Come_From_NaviExe_Even");
  if (event == nullptr) {
    std::printf("error event %lu\n", GetLastError());
    return 1;
  }
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, L"Navi_Share_Buffer");
  if (mapping == nullptr) {
    std::printf("error mapping %lu\n", GetLastError());
    return 1;
  }
  auto* word = static_cast<const volatile std::uint32_t*>(
      MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(std::uint32_t)));
  if (word == nullptr) {
    std::printf("error view %lu\n", GetLastError());
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);

  char line[64];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    if (std::strncmp(line, "wait", 4) == 0) {
      Answer(event, word, 5000);
    } else if (std::strncmp(line, "poll", 4) == 0) {
      Answer(event, word, 0);
    } else {
      break;
    }
  }
  return 0;
}
