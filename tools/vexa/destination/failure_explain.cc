// Explanations of destination result codes (see failure_explain.h).

#include "destination/failure_explain.h"

#include <cstdint>
#include <cstdio>

#include "text/text_codec.h"
#include "tool_interface/destination_access.h"
#include "tool_interface/result_names.h"
#include "vexa/vexa.h"

namespace vexa::tool {
namespace {

namespace dst = vexa::tool_interface;

std::string Quoted(std::string_view bytes) {
  return "'" + DisplayText(bytes) + "'";
}

std::string Plural(long long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The body length at the start of a guide message file of at least 4 bytes.
std::uint32_t BodyLength(std::string_view bytes) {
  return dst::BodyLength(reinterpret_cast<const unsigned char*>(bytes.data()));
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    std::snprintf(buffer, sizeof buffer, "%02X", b);
    out += buffer;
  }
  return out;
}

// The role of field `index` of a guide message, for messages.
std::string GuideFieldRole(int index) {
  switch (index) {
    case 0: return "message tag";
    case 1: return "protocol version";
    case 2: return "route preference";
    case 3: return "destination latitude";
    case 4: return "destination longitude";
    case 5: return "via-point header";
    default: break;
  }
  const int via = (index - 6) / 2 + 1;
  return std::string(index % 2 == 0 ? "latitude" : "longitude") +
         " of via point " + std::to_string(via);
}

std::string NoCoordinate(int index, const std::string& role,
                         const std::string& field) {
  return "field " + std::to_string(index) + " (" + role + ") " +
         (field.empty() ? std::string("is empty and") : Quoted(field)) +
         " gives no coordinate";
}

// ---- Plan 1: the guide message -------------------------------------------

std::string ExplainGuideFields(int code, const std::vector<std::string>& f,
                               const std::string& text) {
  const int count = static_cast<int>(f.size());
  switch (code) {
    case VEXA_E_MSG_FEW_FIELDS: {
      std::string why = "the message has " +
                        Plural(count, "field", "fields") +
                        "; a guide message needs at least 5: "
                        "(TNC,002,<route digit>,<latitude>,<longitude>";
      if (!text.empty() && text.back() == '\0') {
        why += " (its last byte is NUL, so the field behind the last comma "
               "does not count)";
      }
      return why;
    }
    case VEXA_E_MSG_NO_TNC:
      if (count < 1) break;
      return "field 0 (message tag) " + Quoted(f[0]) + " is not '(TNC'";
    case VEXA_E_MSG_NO_002:
      if (count < 2) break;
      return "field 1 (protocol version) " + Quoted(f[1]) + " is not '002'";
    case VEXA_E_MSG_BAD_ROUTE:
      if (count < 3) break;
      if (f[2].empty()) {
        return "field 2 (route preference) is empty; it must begin with a "
               "digit 0 to 4";
      }
      return "field 2 (route preference) " + Quoted(f[2]) +
             " does not begin with a digit 0 to 4";
    case VEXA_E_MSG_BAD_DEST:
      if (count < 5) break;
      if (dst::DegreesMinutesToUnits(f[3].c_str(), 2) == 0) {
        return NoCoordinate(3, GuideFieldRole(3), f[3]);
      }
      if (dst::DegreesMinutesToUnits(f[4].c_str(), 3) == 0) {
        return NoCoordinate(4, GuideFieldRole(4), f[4]);
      }
      break;
    case VEXA_E_MSG_BAD_COUNT:
    case VEXA_E_MSG_FEW_VIAS: {
      if (count < 6 || f[5].empty() || f[5][0] != 'B') break;
      const int n = dst::ReadIntSaturated(f[5].c_str() + 1);
      const std::string header = "field 5 (via-point header) " + Quoted(f[5]);
      if (code == VEXA_E_MSG_BAD_COUNT) {
        return header + " announces " + std::to_string(n) +
               " via points; 0 to 2 are allowed";
      }
      return header + " announces " + Plural(n, "via point", "via points") +
             ", which need " + std::to_string(2 * n) +
             " fields behind it; " + std::to_string(count - 6) +
             (count - 6 == 1 ? " follows" : " follow");
    }
    case VEXA_E_MSG_BAD_VIA: {
      if (count < 6 || f[5].empty() || f[5][0] != 'B') break;
      const int n = dst::ReadIntSaturated(f[5].c_str() + 1);
      for (int i = 0; i < n && 7 + 2 * i < count; ++i) {
        const int lat = 6 + 2 * i;
        const int lon = lat + 1;
        if (dst::DegreesMinutesToUnits(f[lat].c_str(), 2) == 0) {
          return NoCoordinate(lat, GuideFieldRole(lat), f[lat]);
        }
        if (dst::DegreesMinutesToUnits(f[lon].c_str(), 3) == 0) {
          return NoCoordinate(lon, GuideFieldRole(lon), f[lon]);
        }
      }
      break;
    }
    default:
      break;
  }
  return "";
}

// ---- Plan 2: the destination list ----------------------------------------

std::string ExplainListFields(int code, const std::vector<std::string>& f) {
  const int count = static_cast<int>(f.size());
  if (code == VEXA_E_LIST_NO_TNC) {
    if (count == 0) return "the list is empty; field 0 must be '(TNC'";
    return "field 0 " + Quoted(f[0]) + " is not '(TNC'";
  }
  if (code != VEXA_E_LIST_BAD_ROUTE && code != VEXA_E_LIST_BAD_COORD) {
    return "";
  }
  // Walk the groups in the library's order (word before coordinates) and
  // name the first one that fails.
  for (int k = 0; k < VEXA_MAX_POINTS && 1 + 4 * k + 4 <= count; ++k) {
    const int first = 1 + 4 * k;
    const std::string group = "group " + std::to_string(k + 1) + " (field ";
    const std::string& word = f[first + 3];
    if (dst::RouteModeFromWord(word.c_str()) < 0) {
      return group + std::to_string(first + 3) + ", route preference): " +
             (word.empty() ? std::string("the word is empty; it")
                           : Quoted(word) + " is not a route-preference word;"
                                            " it") +
             " must be one of 推荐, 最快, 最短, 经济";
    }
    for (int c = 0; c < 2; ++c) {
      const std::string& field = f[first + c];
      if (dst::DecimalDegreesToUnits(field.c_str()) == 0) {
        return group + std::to_string(first + c) +
               (c == 0 ? ", longitude) " : ", latitude) ") +
               (field.empty() ? std::string("is empty and") : Quoted(field)) +
               " gives no coordinate";
      }
    }
  }
  return "";
}

// ---- Files ---------------------------------------------------------------

std::string ExplainGuideFile(int code, std::string_view bytes,
                             long long size) {
  switch (code) {
    case VEXA_E_MSG_NO_LENGTH:
      return "the file is " + Plural(size, "byte", "bytes") +
             " long; the 4-byte body length is missing";
    case VEXA_E_MSG_TOO_LONG:
      if (bytes.size() < 4) break;
      return "the body length field says " +
             std::to_string(BodyLength(bytes)) +
             " bytes; at most 511 are allowed";
    case VEXA_E_MSG_SHORT_BODY:
      if (bytes.size() < 4) break;
      return "the body length field says " +
             std::to_string(BodyLength(bytes)) + " bytes, but only " +
             std::to_string(size - 4) + " follow it";
    default:
      break;
  }
  return "";
}

std::string ExplainListFile(int code, std::string_view bytes,
                            long long size) {
  switch (code) {
    case VEXA_E_LIST_TOO_BIG:
      return "the file is " + std::to_string(size) +
             " bytes; at most 511 are allowed";
    case VEXA_E_LIST_NO_SPACES:
      if (size < 4 || bytes.size() < 4) {
        return "the file is " + Plural(size, "byte", "bytes") +
               " long, too short for the four leading spaces";
      }
      return "the file begins with " + HexBytes(bytes.substr(0, 4)) +
             ", not with four spaces (20 20 20 20)";
    default:
      break;
  }
  return "";
}

// What each code means when nothing more specific can be said.
const char* GeneralMeaning(int code) {
  switch (code) {
    case VEXA_E_NO_FILE: return "the destination file cannot be opened";
    case VEXA_E_NO_PLAN: return "no destination plan is installed";
    case VEXA_E_NO_TEXT: return "the text converts to no bytes";
    case VEXA_E_BAD_PLAN: return "the configured plan is neither 1 nor 2";
    case VEXA_E_NULL_BUFFER: return "no buffer was given for the packet";
    case VEXA_E_NO_SERVICE:
      return "the destination service could not be allocated";
    case VEXA_E_MSG_NO_LENGTH: return "the 4-byte body length is missing";
    case VEXA_E_MSG_TOO_LONG: return "the body length is above 511";
    case VEXA_E_MSG_SHORT_BODY:
      return "the file holds fewer body bytes than its length says";
    case VEXA_E_MSG_FEW_FIELDS:
      return "the message has fewer than 5 fields";
    case VEXA_E_MSG_NO_TNC: return "field 0 (message tag) is not '(TNC'";
    case VEXA_E_MSG_NO_002: return "field 1 (protocol version) is not '002'";
    case VEXA_E_MSG_BAD_ROUTE:
      return "field 2 (route preference) does not begin with a digit 0 to 4";
    case VEXA_E_MSG_BAD_COUNT:
      return "the via-point count is outside 0 to 2";
    case VEXA_E_MSG_FEW_VIAS:
      return "fewer fields follow the via-point header than its count needs";
    case VEXA_E_MSG_BAD_DEST:
      return "the destination's latitude or longitude gives no coordinate";
    case VEXA_E_MSG_BAD_VIA:
      return "a via point's latitude or longitude gives no coordinate";
    case VEXA_E_LIST_SEEK: return "seeking in the file failed";
    case VEXA_E_LIST_TELL: return "the file's size cannot be determined";
    case VEXA_E_LIST_TOO_BIG: return "the file is larger than 511 bytes";
    case VEXA_E_LIST_SHORT_READ:
      return "fewer bytes could be read than the file's size";
    case VEXA_E_LIST_NO_SPACES:
      return "the file does not begin with four spaces";
    case VEXA_E_LIST_NO_TNC: return "there is no field, or field 0 is not '(TNC'";
    case VEXA_E_LIST_BAD_ROUTE:
      return "a group's word is not a route-preference word";
    case VEXA_E_LIST_BAD_COORD:
      return "a group's longitude or latitude gives no coordinate";
    default: return "unknown result code";
  }
}

}  // namespace

const char* ResultName(int code) { return tool_interface::ResultName(code); }

std::vector<std::string> SplitFields(std::string_view text) {
  std::string buffer(text);  // split in place, behind a terminator
  const char* fields[dst::kMaxFields];
  const int count =
      dst::SplitFields(buffer.data(), static_cast<int>(text.size()), fields);
  return std::vector<std::string>(fields, fields + count);
}

bool TextOfFile(int plan, std::string_view bytes, std::string* text) {
  std::size_t offset = 0;
  std::size_t length = 0;
  if (dst::FramedText(plan, bytes.data(), bytes.size(), &offset, &length)) {
    return false;
  }
  *text = std::string(bytes.substr(offset, length));
  return true;
}

std::string ExplainFailure(int code, const FailureInput& input) {
  std::string why;
  switch (code) {
    case VEXA_E_NO_TEXT:
      if (input.text_bytes_needed == 0) {
        why = "the text is empty";
      } else if (input.text_bytes_needed > dst::kMaxTextLength) {
        why = "the text needs " + std::to_string(input.text_bytes_needed) +
              " bytes in code page " + std::to_string(DestinationCodePage()) +
              "; at most 511 fit";
      } else if (input.text_bytes_needed < 0) {
        why = "the text cannot be converted to code page " +
              std::to_string(DestinationCodePage());
      }
      break;
    case VEXA_E_BAD_PLAN:
      why = "the configured plan " + std::to_string(input.configured_plan) +
            " is neither 1 nor 2";
      break;
    default:
      break;
  }
  if (why.empty() && input.is_file) {
    why = input.plan == 1
              ? ExplainGuideFile(code, input.file_bytes, input.file_size)
              : ExplainListFile(code, input.file_bytes, input.file_size);
  }
  if (why.empty()) {
    std::string text;
    bool has_text = input.has_text;
    if (has_text) {
      text = input.text;
    } else if (input.is_file) {
      has_text = TextOfFile(input.plan, input.file_bytes, &text);
    }
    if (has_text) {
      const auto fields = SplitFields(text);
      why = input.plan == 1 ? ExplainGuideFields(code, fields, text)
                            : ExplainListFields(code, fields);
    }
  }
  // The analysis found nothing more specific (or the input changed between
  // the library's read and the tool's): say what the code itself means.
  if (why.empty()) why = GeneralMeaning(code);
  return why;
}

}  // namespace vexa::tool
