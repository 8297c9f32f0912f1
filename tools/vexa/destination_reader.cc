// Reading destination files with the library's plans (see
// destination_reader.h).

#include "destination_reader.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"
#include "failure_explain.h"
#include "platform/platform.h"
#include "text_codec.h"

namespace vexa::tool {
namespace {

// The tool reads at most this much of a file for its own analysis; every
// valid destination file is far smaller.
constexpr std::size_t kAnalysisBytes = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* file) const { platform::CloseFile(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens by the path's code-page form, as the library opens its files.
File OpenForReading(const std::string& path, bool* unrepresentable) {
  *unrepresentable = false;
  std::string native;
  if (!Utf8ToCodePage(path, &native)) {
    *unrepresentable = true;
    return nullptr;
  }
  return File(platform::OpenFile(native.c_str(), "rb"));
}

std::string ReadStart(std::FILE* file) {
  std::string bytes(kAnalysisBytes, '\0');
  const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), file);
  bytes.resize(n);
  return bytes;
}

// Tells the plans apart by their first bytes: a destination list begins
// with four spaces, which as a guide message's length (0x20202020) would be
// far above 511; a guide message begins with a small length. Files that
// are neither get the plan their name or their text suggests, so the
// explanation speaks of the format the author meant.
int DetectPlan(const std::string& path, std::string_view bytes,
               std::string* reason) {
  if (bytes.size() >= 4 && bytes.substr(0, 4) == "    ") {
    *reason = "read as plan 2: begins with four spaces";
    return 2;
  }
  if (bytes.size() >= 4) {
    const std::uint32_t length =
        static_cast<unsigned char>(bytes[0]) |
        static_cast<unsigned char>(bytes[1]) << 8 |
        static_cast<unsigned char>(bytes[2]) << 16 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3])) << 24;
    if (length <= 511) {
      *reason = "read as plan 1: begins with a body length";
      return 1;
    }
  }
  if (std::filesystem::path(path).extension() == ".cld") {
    *reason = "read as plan 2: named *.cld";
    return 2;
  }
  const std::string_view rest = bytes.size() > 4 ? bytes.substr(4) : "";
  if (rest.substr(0, 5) == "(TNC," && rest.substr(0, 9) != "(TNC,002,") {
    *reason = "read as plan 2: holds a destination list";
    return 2;
  }
  *reason = "read as plan 1: no leading spaces";
  return 1;
}

}  // namespace

int ReadFileWithPlan(const std::string& path, int plan,
                     DestinationPacket* packet) {
  bool unrepresentable = false;
  File file = OpenForReading(path, &unrepresentable);
  if (!file) return VEXA_E_NO_FILE;
  destination::MessageFilePlan guide;
  destination::DestinationListPlan list;
  destination::GuidePlan& reader =
      plan == 1 ? static_cast<destination::GuidePlan&>(guide) : list;
  return reader.ReadPacket(file.get(), packet);
}

Outcome DecodeFile(const std::string& path, int plan) {
  Outcome outcome;
  outcome.source = path;
  std::error_code error;
  // A directory opens for reading on Linux, and reading it fails in ways
  // that would be explained as a broken file; say what it is instead.
  if (std::filesystem::is_directory(path, error)) {
    outcome.plan = plan;
    outcome.result = VEXA_E_NO_FILE;
    outcome.explanation = "'" + path + "' is a directory";
    return outcome;
  }
  bool unrepresentable = false;
  File file = OpenForReading(path, &unrepresentable);
  if (!file) {
    outcome.plan = plan;
    outcome.result = VEXA_E_NO_FILE;
    outcome.explanation =
        unrepresentable
            ? "the path cannot be written in code page " +
                  std::to_string(SystemCodePage()) +
                  ", so the library could not open it"
            : "'" + path + "' cannot be opened" +
                  (std::filesystem::exists(path, error)
                       ? std::string(" for reading")
                       : std::string(": no such file"));
    return outcome;
  }
  const std::string bytes = ReadStart(file.get());
  const auto size = std::filesystem::file_size(path, error);
  std::rewind(file.get());
  std::string reason;
  outcome.plan = plan != 0 ? plan : DetectPlan(path, bytes, &reason);
  outcome.plan_reason = reason;

  destination::MessageFilePlan guide;
  destination::DestinationListPlan list;
  destination::GuidePlan& reader =
      outcome.plan == 1 ? static_cast<destination::GuidePlan&>(guide) : list;
  outcome.result = reader.ReadPacket(file.get(), &outcome.packet);
  if (outcome.result != 0) {
    FailureInput input;
    input.plan = outcome.plan;
    input.is_file = true;
    input.file_bytes = bytes;
    input.file_size = error ? static_cast<long long>(bytes.size())
                            : static_cast<long long>(size);
    outcome.explanation = ExplainFailure(outcome.result, input);
    outcome.packet = DestinationPacket{};
  }
  return outcome;
}

}  // namespace vexa::tool
