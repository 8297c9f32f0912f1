#include "web_api.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "destination/destination_encoder.h"
#include "destination/explain_outcome.h"
#include "destination/name_fitting.h"
#include "destination/outcome.h"
#include "formats/input_text.h"
#include "formats/interchange_reader.h"
#include "formats/kml_export.h"
#include "formats/output_format.h"
#include "text/text_codec.h"
#include "tool_interface/code_page_access.h"
#include "tool_interface/destination_access.h"
#include "tool_interface/result_names.h"

namespace {

// Answers keep their keys in the order written; requests are read with the
// GeoJSON reader's own type, so the module carries one JSON parser.
using Json = nlohmann::ordered_json;
using RequestJson = nlohmann::json;
using vexa::tool::Outcome;

std::string& Answer() {
  static std::string answer;
  return answer;
}

// Keeps `json` as the last answer. Text that is not UTF-8 (never expected:
// names are decoded before they get here) becomes U+FFFD rather than
// failing the whole answer.
const char* Give(const Json& json) {
  Answer() = json.dump(-1, ' ', false, Json::error_handler_t::replace);
  return Answer().c_str();
}

const char* Refuse(const std::string& message) {
  return Give(Json{{"ok", false}, {"message", message}});
}

// The members of a request, read without a throw (this face is built
// without exceptions): a member that is missing or of another type is the
// fallback, a coordinate then NaN, which the encoder refuses.
double NumberAt(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_number() ? it->get<double>() : std::nan("");
}

int IntegerAt(const nlohmann::json& object, const char* key, int fallback) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_number_integer()) return fallback;
  const auto value = it->get<long long>();
  return value >= -1000000 && value <= 1000000 ? static_cast<int>(value) : fallback;
}

std::string TextAt(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool TruthAt(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_boolean() && it->get<bool>();
}

RequestJson Request(const char* request, int size) {
  if (request == nullptr || size <= 0) return RequestJson::object();
  RequestJson json = RequestJson::parse(
      std::string_view(request, static_cast<std::size_t>(size)), nullptr, false);
  return json.is_object() ? json : RequestJson::object();
}

std::string_view Bytes(const unsigned char* bytes, int size) {
  if (bytes == nullptr || size <= 0) return {};
  return {reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size)};
}

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

// Reads `bytes` with plan `plan` as the library reads a file at PTT_Init:
// the plans read an open stream, so a stream over the bytes gives them the
// file as the head unit's file system would.
int ReadFromMemory(int plan, std::string_view bytes, DestinationPacket* packet) {
  static char empty[1];
  std::FILE* file = fmemopen(bytes.empty() ? empty : const_cast<char*>(bytes.data()),
                             bytes.size(), "rb");
  if (file == nullptr) return VEXA_E_NO_FILE;
  const int result = vexa::tool_interface::ReadDestinationFile(plan, file, packet);
  std::fclose(file);
  return result;
}

// The module is built without exceptions, so the JSON parser must never
// meet text it would throw on. For what the GeoJSON reader will parse (the
// format named, or a first character that is '{' or '['), the same parser
// checks the text first without a throw, and a failure is the reader's own
// words. False with the refusal in `error`.
class SyntaxCheck : public nlohmann::json_sax<nlohmann::json> {
 public:
  std::string failure;
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t, const std::string&,
                   const nlohmann::detail::exception& e) override {
    failure = e.what();
    return false;
  }
};

bool JsonParses(std::string_view bytes, const std::string& source,
                vexa::tool::InputFormat format, std::string* error) {
  std::string text;
  std::string encoding;
  std::string why;
  // Text that does not decode is refused by the reader before it parses.
  if (!vexa::tool::DecodeText(bytes, &text, &encoding, &why)) return true;
  if (format == vexa::tool::InputFormat::kAuto) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || (text[first] != '{' && text[first] != '[')) {
      return true;
    }
  } else if (format != vexa::tool::InputFormat::kGeoJson) {
    return true;
  }
  SyntaxCheck check;
  if (nlohmann::json::sax_parse(text, &check)) return true;
  // "[json.exception.parse_error.101] parse error at line 1, column 3:
  // ..." without its bracketed id, as the reader says it.
  const std::size_t id = check.failure.find(']');
  *error = source + " is not valid JSON: " +
           vexa::tool::ShownValue(id != std::string::npos && id + 2 <= check.failure.size()
                                      ? check.failure.substr(id + 2) : check.failure);
  return false;
}

// The decode record of an outcome, as `vexa decode --format json` gives it,
// with "ok" and, on success, the packet's bytes.
const char* GiveOutcome(const Outcome& outcome) {
  Json json = vexa::tool::OutcomeToJson(outcome);
  json["ok"] = outcome.result == 0 && outcome.tool_error.empty();
  if (outcome.result == 0) {
    json["packet"] = Hex(std::string_view(
        reinterpret_cast<const char*>(&outcome.packet), sizeof outcome.packet));
  }
  return Give(json);
}

// The encode request of the page's points, in travel order.
vexa::tool::EncodeRequest EncodeRequestOf(const RequestJson& request) {
  vexa::tool::EncodeRequest encode;
  encode.plan = IntegerAt(request, "plan", 2);
  const auto points = request.find("points");
  if (points == request.end() || !points->is_array()) return encode;
  for (std::size_t i = 0; i < points->size(); ++i) {
    const RequestJson& given = (*points)[i];
    vexa::tool::EncodePoint point;
    point.latitude = NumberAt(given, "latitude");
    point.longitude = NumberAt(given, "longitude");
    if (encode.plan == 2) point.name = TextAt(given, "name");
    point.origin = "point " + std::to_string(i + 1);
    encode.routes.push_back(IntegerAt(given, "route", 0));
    encode.points.push_back(std::move(point));
  }
  return encode;
}

// The 1-based point a refusal begins with ("point 2: ..."), or 0.
int PointNamed(const std::string& message) {
  if (message.compare(0, 6, "point ") != 0) return 0;
  int point = 0;
  std::size_t at = 6;
  for (; at < message.size() && at < 9 && message[at] >= '0' && message[at] <= '9'; ++at) {
    point = point * 10 + (message[at] - '0');
  }
  return at > 6 && at < message.size() && message[at] == ':' ? point : 0;
}

// Builds the file of `request` and has the library read it back into
// `outcome` (with the warnings the tool would give the file). False with
// the refusal in `error`.
bool Encode(const RequestJson& request, vexa::tool::EncodedFile* file,
            Outcome* outcome, std::string* error) {
  const vexa::tool::EncodeRequest encode = EncodeRequestOf(request);
  if (!vexa::tool::BuildDestinationFile(encode, file, error)) return false;
  outcome->plan = encode.plan;
  outcome->result = ReadFromMemory(encode.plan, file->bytes, &outcome->packet);
  if (!vexa::tool::CheckDecoded(encode, *file, outcome->result, outcome->packet,
                                error)) {
    return false;
  }
  vexa::tool::ExplainFileOutcome(file->bytes,
                                 static_cast<long long>(file->bytes.size()), outcome);
  return true;
}

}  // namespace

extern "C" {

int vexa_web_read_file(int plan, const unsigned char* bytes, int size,
                       DestinationPacket* packet) {
  if (bytes == nullptr || size < 0) return VEXA_E_NO_FILE;
  if (plan != 1 && plan != 2) return VEXA_E_BAD_PLAN;
  DestinationPacket working{};
  const int result = ReadFromMemory(plan, Bytes(bytes, size), &working);
  if (result == 0) *packet = working;
  return result;
}

int vexa_web_parse_raw(int plan, const uint16_t* text, int length,
                       DestinationPacket* packet) {
  if (plan != 1 && plan != 2) return VEXA_E_BAD_PLAN;
  DestinationPacket working{};
  const int result = vexa::tool_interface::ParseRawText(
      plan, vexa::tool_interface::AnsiCodePage(), text, length, &working);
  if (result == 0) *packet = working;
  return result;
}

int vexa_web_answer_size(void) { return static_cast<int>(Answer().size()); }

int vexa_web_analysis_bytes(void) {
  return static_cast<int>(vexa::tool::kAnalysisBytes);
}

const char* vexa_web_decode_json(const char* request, int request_size,
                                 const unsigned char* bytes, int size) {
  const RequestJson asked = Request(request, request_size);
  const std::string_view head = Bytes(bytes, size).substr(0, vexa::tool::kAnalysisBytes);
  Outcome outcome;
  outcome.source = TextAt(asked, "name");
  const int plan = IntegerAt(asked, "plan", 0);
  std::string reason;
  outcome.plan = plan == 1 || plan == 2
                     ? plan : vexa::tool::DetectPlan(outcome.source, head, &reason);
  outcome.result = ReadFromMemory(outcome.plan, head, &outcome.packet);
  // A size the page cannot know exactly is at least what it handed over.
  const double whole = NumberAt(asked, "size");
  vexa::tool::ExplainDecodedFile(
      head, whole >= static_cast<double>(head.size()) && whole < 9e15
                ? static_cast<long long>(whole) : static_cast<long long>(head.size()),
      outcome.source, "", &outcome);
  return GiveOutcome(outcome);
}

const char* vexa_web_parse_json(const char* request, int request_size,
                                const uint16_t* text, int units) {
  const RequestJson asked = Request(request, request_size);
  const std::size_t count = text != nullptr && units > 0 ? static_cast<std::size_t>(units) : 0;
  const int length = IntegerAt(asked, "length", static_cast<int>(count * 2));
  Outcome outcome;
  outcome.source = "text";
  outcome.plan = IntegerAt(asked, "plan", 2);
  outcome.result = vexa_web_parse_raw(outcome.plan, text, length, &outcome.packet);
  // The tool explains the text the library was given: length / 2 units.
  const std::size_t given = length > 0 ? static_cast<std::size_t>(length) / 2 : 0;
  vexa::tool::ExplainTextOutcome(
      std::u16string_view(reinterpret_cast<const char16_t*>(text),
                          given < count ? given : count),
      &outcome);
  vexa::tool::RefuseWithoutDestination(&outcome);  // as parse refuses it
  return GiveOutcome(outcome);
}

const char* vexa_web_import_json(const char* request, int request_size,
                                 const unsigned char* bytes, int size) {
  const RequestJson asked = Request(request, request_size);
  vexa::tool::ImportChoice choice;
  const std::string format = TextAt(asked, "format");
  using vexa::tool::InputFormat;
  choice.format = format == "csv" ? InputFormat::kCsv
                  : format == "gpx" ? InputFormat::kGpx
                  : format == "kml" ? InputFormat::kKml
                  : format == "geojson" ? InputFormat::kGeoJson
                  : InputFormat::kAuto;
  choice.plan = IntegerAt(asked, "plan", 2);
  choice.gpx.route = IntegerAt(asked, "gpxRoute", 0);
  choice.gpx.track = IntegerAt(asked, "gpxTrack", 0);
  choice.gpx.waypoints = TruthAt(asked, "gpxWaypoints");
  // Named as the tool names an input file.
  const std::string source =
      "'" + vexa::tool::ShownPath(TextAt(asked, "name")) + "'";
  const std::string encoding = TextAt(asked, "inputEncoding");
  if (!encoding.empty() &&
      !vexa::tool::InputEncodingFromName(encoding, &choice.encoding)) {
    return Refuse("no such encoding: " + vexa::tool::ShownValue(encoding));
  }
  std::vector<vexa::tool::EncodePoint> points;
  std::vector<std::string> notes;
  std::string error;
  if (!JsonParses(Bytes(bytes, size), source, choice.format, &error) ||
      !vexa::tool::ReadInterchange(Bytes(bytes, size), source, choice, &points,
                                   &notes, &error)) {
    return Refuse(error.empty() ? "cannot read " + source : error);
  }
  Json list = Json::array();
  for (vexa::tool::EncodePoint& point : points) {
    // As encode writes the name: on one line.
    std::string warning =
        vexa::tool::FoldNameWithWarning(point.origin, &point.name);
    if (!warning.empty()) notes.push_back(std::move(warning));
    list.push_back({{"latitude", point.latitude}, {"longitude", point.longitude},
                    {"name", point.name}, {"route", point.route}});
  }
  return Give(Json{{"ok", true}, {"points", list}, {"notes", notes}});
}

const char* vexa_web_encode_json(const char* request, int request_size) {
  vexa::tool::EncodedFile file;
  Outcome outcome;
  std::string error;
  if (!Encode(Request(request, request_size), &file, &outcome, &error)) {
    return Give(Json{{"ok", false}, {"message", error}, {"point", PointNamed(error)}});
  }
  Json decoded = vexa::tool::OutcomeToJson(outcome);
  return Give(Json{{"ok", true}, {"bytes", Hex(file.bytes)}, {"notes", file.notes},
                   {"decoded", decoded}});
}

const char* vexa_web_export_json(const char* request, int request_size) {
  const RequestJson asked = Request(request, request_size);
  vexa::tool::EncodedFile file;
  Outcome outcome;
  std::string error;
  if (!Encode(asked, &file, &outcome, &error)) {
    return Give(Json{{"ok", false}, {"message", error}, {"point", PointNamed(error)}});
  }
  outcome.source = TextAt(asked, "source");
  const std::string name = TextAt(asked, "format");
  // The warnings are not part of the text: the page shows them itself.
  std::string text;
  vexa::tool::Format format;
  if (name == "kml") {
    text = vexa::tool::KmlText({outcome});
  } else if (name != "table" && name != "json" && name != "hex" &&
             vexa::tool::FormatFromName(name, &format)) {
    text = vexa::tool::OutcomesText({outcome}, format, false);
  } else {
    return Refuse("no such format: " + name);
  }
  return Give(Json{{"ok", true}, {"text", text}});
}

const char* vexa_web_fit_name_json(const char* request, int request_size) {
  std::string fitted;
  const std::string replaced = vexa::tool::FitName(
      TextAt(Request(request, request_size), "name"), &fitted);
  return Give(Json{{"ok", true}, {"name", fitted}, {"replaced", replaced}});
}

const char* vexa_web_code_page_text_json(const unsigned char* bytes, int size) {
  // As a head unit shows it: Windows' conversion, which gives every byte
  // pair a character (the user-defined areas too).
  const std::string text(Bytes(bytes, size));
  std::u16string wide(text.size() + 1, u'\0');
  const int units = vexa::tool_interface::CodePageToWide(
      vexa::tool_interface::AnsiCodePage(), text.c_str(), wide.data(),
      static_cast<int>(wide.size()));
  if (units <= 0) return Refuse("the text does not convert");
  wide.resize(static_cast<std::size_t>(units - 1));
  return Give(Json{{"ok", true}, {"text", vexa::tool::Utf16ToUtf8(wide)}});
}

const char* vexa_web_result_name(int code) {
  return vexa::tool_interface::ResultName(code);
}

}  // extern "C"
