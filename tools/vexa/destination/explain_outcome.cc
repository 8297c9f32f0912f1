// Plan detection and the explanations and warnings of an outcome (see
// explain_outcome.h).

#include "destination/explain_outcome.h"

#include <cctype>
#include <cstdint>
#include <filesystem>

#include "destination/failure_explain.h"
#include "destination/interchange_kind.h"
#include "destination/strict_check.h"
#include "text/text_codec.h"
#include "tool_interface/code_page_access.h"

namespace vexa::tool {
namespace {

// How many code-page bytes the library's conversion would make of `text`
// (0 for none, -1 when it cannot be converted at all), with those bytes.
int Converted(std::u16string_view text, std::string* bytes) {
  bytes->clear();
  if (text.empty()) return 0;
  std::string out(text.size() * 4 + 16, '\0');
  const int n = tool_interface::WideToCodePage(
      DestinationCodePage(), text.data(),
      static_cast<int>(text.size()), out.data(),
      static_cast<int>(out.size()));
  if (n <= 0) return -1;
  out.resize(static_cast<std::size_t>(n));
  *bytes = out;
  return n;
}

// `path` as one word of a command line to paste: quoted when it holds
// anything but letters, digits and the usual path characters.
std::string CommandWord(const std::string& path) {
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80 && !std::isalnum(byte) &&
        std::string_view("._-/\\:+=@%,").find(c) == std::string_view::npos) {
      return "\"" + ShownPath(path) + "\"";
    }
  }
  return ShownPath(path);
}

}  // namespace

// Tells the plans apart by their first bytes: a destination list begins
// with four spaces, which as a guide message's length (0x20202020) would be
// far above 511; a guide message begins with a small length. Files that
// are neither get the plan their name or their text suggests, so the
// explanation speaks of the format the author meant.
int DetectPlan(const std::string& name, std::string_view bytes,
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
  if (std::filesystem::u8path(name).extension() == ".cld") {
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

void ExplainFileOutcome(std::string_view head, long long size,
                        Outcome* outcome) {
  FailureInput failure;
  failure.plan = outcome->plan;
  failure.is_file = true;
  failure.file_bytes = std::string(head);
  failure.file_size = size;
  std::string text;
  const bool has_text = TextOfFile(outcome->plan, head, &text);
  if (outcome->result != 0) {
    outcome->explanation = ExplainFailure(outcome->result, failure);
    outcome->packet = DestinationPacket{};
  } else if (has_text) {
    outcome->warnings = StrictWarnings(outcome->plan, text);
  }
  // Text in the code page, route words included, is almost never valid
  // UTF-8; a file that is was saved in the wrong encoding.
  if (LooksLikeUtf8Text(has_text ? std::string_view(text) : head)) {
    const std::string hint =
        "the file's text is UTF-8, but a head unit reads it in code page " +
        std::to_string(DestinationCodePage()) +
        (DestinationCodePage() == 936 ? " (GBK)" : "") +
        ", where its names and words are garbled: save it in that code page";
    if (outcome->result != 0) {
      outcome->explanation += "; " + hint;
    } else {
      outcome->warnings.push_back(hint);
    }
  }
}

void ExplainTextOutcome(std::u16string_view text, Outcome* outcome) {
  std::string bytes;
  const int needed = Converted(text, &bytes);
  if (outcome->result == 0) {
    outcome->warnings = StrictWarnings(outcome->plan, bytes);
    return;
  }
  FailureInput input;
  input.plan = outcome->plan;
  input.configured_plan = outcome->plan;
  input.text_bytes_needed = needed;
  input.has_text = needed > 0;
  if (input.has_text) input.text = bytes;
  outcome->explanation = ExplainFailure(outcome->result, input);
}

void RefuseWithoutDestination(Outcome* outcome) {
  if (outcome->result != 0 || !outcome->tool_error.empty() ||
      outcome->packet.pointCount != 0) {
    return;
  }
  outcome->tool_error = "NoDestination";
  outcome->explanation =
      "the library reads it, but it holds no point (0 points), so it gives "
      "a head unit no destination";
}

void ExplainDecodedFile(std::string_view head, long long size,
                        const std::string& path, const std::string& list,
                        Outcome* outcome) {
  // Points for a map, not for a head unit: say what they are and how to
  // make a destination list of them, rather than why they are none.
  if (outcome->result != 0) {
    if (const InterchangeKind kind = KindOfInterchangeFile(head);
        !kind.name.empty()) {
      outcome->packet = DestinationPacket{};
      outcome->tool_error = "NotADestinationFile";
      if (kind.option.empty()) {
        outcome->explanation =
            "this is a " + kind.name +
            " file, not a destination file; unzip it and give the KML "
            "inside (most often doc.kml) to vexa encode --plan 2 --kml";
        return;
      }
      const std::string target = list.empty() ? "dest.cld" : list;
      outcome->explanation =
          "this is a " + kind.name +
          " file, not a destination file; to make a destination list of "
          "its points: vexa encode --plan 2 " + kind.option + " " +
          CommandWord(path) + " -o " + CommandWord(target);
      return;
    }
  }
  ExplainFileOutcome(head, size, outcome);
  // A picture, a README or a folder's hidden file: no tag, no body length
  // a guide message could have, no spaces of a list. The library's reading
  // of its first bytes as a length says nothing useful then.
  const auto byte = [&head](std::size_t i) {
    return static_cast<unsigned long>(static_cast<unsigned char>(head[i]));
  };
  if (outcome->result != 0 && head.size() >= 8 && head[0] != ' ' &&
      (byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24) > 511 &&
      head.substr(0, 16).find("(TNC") == std::string_view::npos) {
    outcome->explanation =
        "this is not a destination file: a guide message begins with its "
        "body length and (TNC, a destination list with four spaces and "
        "(TNC, and this begins '" + ShownText(head.substr(0, 12)) + "'";
  }
  RefuseWithoutDestination(outcome);
}

}  // namespace vexa::tool
