// Job 1 of vexa simulate, the destination hand-over: the file that the
// head unit leaves for PTT_Init, then raw messages with a callback
// registered (see simulate_transcript.h).

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "destination/destination_encoder.h"
#include "destination/destination_reader.h"
#include "destination/failure_explain.h"
#include "system/input_file.h"
#include "simulate/simulate_transcript.h"
#include "text/text_codec.h"
#include "tool_interface/code_page_access.h"

namespace vexa::tool {
namespace {

// What the destination callback saw. The library calls it on this thread,
// inside PTT_Parse_Raw_Protocol.
struct CallbackLog {
  int calls = 0;
  const DestinationPacket* address = nullptr;
  DestinationPacket copy{};
};
CallbackLog g_callback;

int OnDestination(DestinationPacket* packet) {
  ++g_callback.calls;
  g_callback.address = packet;
  std::memcpy(&g_callback.copy, packet, sizeof g_callback.copy);
  return 0;
}

// The text shortened to 40 characters for the transcript, cut between
// UTF-8 characters.
std::string Preview(const std::string& text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
      starts.push_back(i);
  }
  if (starts.size() <= 40) return text;
  return text.substr(0, starts[37]) + "...";
}

bool WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool ParseRaw(const VexaExports& vexa, int plan, const std::string& utf8,
              bool expect_success) {
  std::u16string text;
  Utf8ToUtf16(utf8, &text);
  const int bytes = static_cast<int>(text.size() * 2);
  const int calls_before = g_callback.calls;
  const int result = vexa.ptt_parse_raw_protocol(
      reinterpret_cast<const std::uint16_t*>(text.data()), bytes);
  const std::string call = "PTT_Parse_Raw_Protocol(\"" + Preview(utf8) +
                           "\", " + std::to_string(bytes) + ")";
  if (result != 0) {
    FailureInput input;
    input.plan = plan;
    input.has_text = true;
    // What the library converted: with its own (the system's) code page.
    std::string converted(text.size() * 4 + 16, '\0');
    const int n = tool_interface::WideToCodePage(
        tool_interface::AnsiCodePage(), text.data(),
        static_cast<int>(text.size()), converted.data(),
        static_cast<int>(converted.size()));
    converted.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    input.text = converted;
    input.text_bytes_needed = static_cast<int>(converted.size());
    Call(call, result);
    Said(std::string("error ") + ResultName(result) + ": " +
         ExplainFailure(result, input));
  } else {
    Call(call, result);
  }
  const int calls = g_callback.calls - calls_before;
  if (calls == 0) {
    Said("callback not called; the current packet is unchanged");
  } else {
    Said("callback called " + std::string(calls == 1 ? "once" : "again") +
         " with the library's current packet:");
    PrintPacket(g_callback.copy, plan);
  }
  return (result == 0) == expect_success && (calls == 1) == expect_success;
}

}  // namespace

bool BuildExampleFile(int plan, std::string* bytes, std::string* error) {
  EncodeRequest request;
  request.plan = plan;
  if (plan == 1) {
    request.points = {{39.8375, 116.335, "", "via point"},
                      {39.9083333, 116.3866667, "", "destination"}};
    request.routes = {Fastest, Fastest};
  } else {
    request.points = {{39.916527, 116.397128, "Home", "destination 1"},
                      {31.230416, 121.473701, "Office", "destination 2"}};
    request.routes = {Recommended, Fastest};
  }
  EncodedFile file;
  if (!BuildDestinationFile(request, &file, error)) return false;
  *bytes = file.bytes;
  return true;
}

bool RunDestinationJob(const VexaExports& vexa, int plan,
                       const std::filesystem::path& data_dir,
                       const std::string& user_file, const std::string& bytes) {
  std::cout << "\n1. Destination hand-over (plan " << plan << ", "
            << (plan == 1 ? "guide message" : "destination list") << ")\n";
  bool ok = true;
  // What the plan makes of the file, read by the tool beforehand: the
  // library must come to the same result.
  DestinationPacket expected{};
  const int expected_result = ReadBytesWithPlan(bytes, plan, &expected);
  const auto path = data_dir / (plan == 1 ? "guide.dat" : "dest.cld");
  if (!WriteBytes(path, bytes)) {
    std::cerr << "vexa: cannot write " << path.string() << '\n';
    return false;
  }
  Said((user_file.empty() ? std::string("the head unit left ")
                          : "your file " + InputName(user_file) +
                                " is left as ") +
       path.filename().string() + " in the data directory (" +
       std::to_string(bytes.size()) + " bytes)");
  Call("PTT_Set_Callback(OnDestination)",
       vexa.ptt_set_callback(&OnDestination));
  const int init = vexa.ptt_init();
  Call("PTT_Init()", init);
  ok = ok && init == 0;
  if (expected_result != 0) {
    // PTT_Init returns 0 either way; the plan's reading failed inside it.
    FailureInput input;
    input.plan = plan;
    input.is_file = true;
    input.file_bytes = bytes;
    input.file_size = static_cast<long long>(bytes.size());
    Said(std::string("the plan does not read the file: error ") +
         ResultName(expected_result) + ": " +
         ExplainFailure(expected_result, input));
    ok = false;
  }
  const bool gone = !std::filesystem::exists(path);
  Said(path.filename().string() +
       (gone ? " was taken over and deleted"
             : expected_result != 0
                   ? " is still there (a file that does not parse is kept)"
                   : " is still there (it was not taken over)"));
  ok = ok && gone == (expected_result == 0);
  if (g_callback.calls != 0) {
    Said("the callback was called by PTT_Init, which it must not be");
    ok = false;
  } else {
    Said("callback not called (PTT_Init never calls it)");
  }
  DestinationPacket packet{};
  Call("PTT_Get_DataPacket(&packet)", vexa.ptt_get_data_packet(&packet));
  PrintPacket(packet, plan);
  if (expected_result == 0 &&
      std::memcmp(&packet, &expected, sizeof packet) != 0) {
    Said("the packet differs from what the plan reads in the file");
    ok = false;
  }

  std::cout << "  a raw message arrives:\n";
  if (plan == 1) {
    ok = ParseRaw(vexa, plan,
                  "(TNC,002,4,3107.1300,12128.6200,B1,3114.0000,12129.5000",
                  true) && ok;
    std::cout << "  a broken raw message arrives:\n";
    ok = ParseRaw(vexa, plan, "(TNC,002,1,3107.1300,12128.6200,B3", false) &&
         ok;
  } else {
    ok = ParseRaw(vexa, plan, "(TNC,113.324520,23.106414,广州塔,最短", true) &&
         ok;
    std::cout << "  a broken raw message arrives:\n";
    ok = ParseRaw(vexa, plan, "(TNC,113.324520,23.106414,Tower,fast", false) &&
         ok;
  }
  DestinationPacket after{};
  vexa.ptt_get_data_packet(&after);
  if (g_callback.address != nullptr &&
      std::memcmp(&after, &g_callback.copy, sizeof after) != 0) {
    Said("PTT_Get_DataPacket does not give the packet the callback saw");
    ok = false;
  }
  return ok;
}

}  // namespace vexa::tool
