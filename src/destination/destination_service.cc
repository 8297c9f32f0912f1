#include "destination/destination_service.h"

#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"
#include "destination/raw_message.h"
#include "frame/config.h"
#include "frame/module_instance.h"
#include "platform/platform.h"

namespace vexa::destination {

namespace {

// UTF-16 units for the path handed to file deletion, terminator included.
constexpr int kDeletePathUnits = 200;

// Closes the stream on every way out of LoadFromFile.
class FileCloser {
 public:
  explicit FileCloser(std::FILE* file) : file_(file) {}
  ~FileCloser() { platform::CloseFile(file_); }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  std::FILE* file_;
};

// Converts a terminated 8-bit path; true when `out` now holds the whole
// path with its terminator.
bool ConvertPath(const char* path, char16_t* out, int capacity) {
  const int units =
      platform::CodePageToWide(platform::AnsiCodePage(), path, out, capacity);
  return units > 0 && units <= capacity && out[units - 1] == u'\0';
}

// Deletes the file at an 8-bit path. A path too long for the usual buffer
// is converted whole into a larger one, so that deletion never sees a cut
// or unterminated name (which could name another file); when conversion
// fails the file is left alone.
void DeleteByPath(const char* path) {
  char16_t wide[kDeletePathUnits];
  if (ConvertPath(path, wide, kDeletePathUnits)) {
    platform::DeleteFileWide(wide);
    return;
  }
  // A code page never yields more UTF-16 units than it has bytes, so the
  // byte count with the terminator always has room for the whole path.
  const std::size_t bytes = std::strlen(path) + 1;
  if (bytes <= static_cast<std::size_t>(kDeletePathUnits) ||
      bytes > static_cast<std::size_t>(INT_MAX)) {
    return;  // it would have fitted: the text itself does not convert
  }
  std::unique_ptr<char16_t[]> large(new (std::nothrow) char16_t[bytes]);
  if (large && ConvertPath(path, large.get(), static_cast<int>(bytes))) {
    platform::DeleteFileWide(large.get());
  }
}

}  // namespace

DestinationService* DestinationService::Instance() {
  return ModuleInstance<DestinationService>::Get();
}

int DestinationService::Init() {
  GuidePlan* fresh = nullptr;
  switch (config::GuidePlanNumber()) {
    case 1: fresh = new (std::nothrow) MessageFilePlan(); break;
    case 2: fresh = new (std::nothrow) DestinationListPlan(); break;
    default: return VEXA_E_BAD_PLAN;
  }
  // The previous plan goes even when the new one could not be allocated;
  // the service is then without a plan until a later Init succeeds.
  InstallStrategy(plan_, fresh);
  if (GuidePlan* plan = plan_.get()) {
    DestinationPacket working{};
    if (LoadFromFile(*plan, &working) == 0) current_packet_ = working;
  }
  return 0;
}

int DestinationService::SetCallback(DestinationCallback callback) {
  callback_ = callback;
  return 0;
}

int DestinationService::GetDataPacket(DestinationPacket* buffer) const {
  if (buffer == nullptr) return VEXA_E_NULL_BUFFER;
  std::memcpy(buffer, &current_packet_, sizeof current_packet_);
  return 0;
}

int DestinationService::ParseRawProtocol(const std::uint16_t* text, int length) {
  GuidePlan* plan = plan_.get();
  if (plan == nullptr) return VEXA_E_NO_PLAN;
  DestinationPacket working;
  const int result = ParseRawMessage(*plan, text, length, &working);
  if (result != 0) return result;
  current_packet_ = working;
  if (callback_ != nullptr) callback_(&current_packet_);
  return 0;
}

int DestinationService::LoadFromFile(GuidePlan& plan, DestinationPacket* packet) {
  // Without memory for the path there is no path.
  OwnedText path;
  if (plan.GetFilePath(path) != 0) return VEXA_E_NO_FILE;
  std::FILE* file = platform::OpenFile(path.c_str(), "rb");
  if (file == nullptr) return VEXA_E_NO_FILE;
  int result;
  {
    FileCloser closer(file);
    result = plan.ReadPacket(file, packet);
  }
  // Only after the file is closed, and only when it parsed.
  if (result == 0) DeleteByPath(path.c_str());
  return result;
}

}  // namespace vexa::destination
