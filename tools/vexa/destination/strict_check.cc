// Warnings for text the library accepts (see strict_check.h).

#include "destination/strict_check.h"

#include <cmath>
#include <cstdlib>
#include <system_error>

// fast_float: the decimal conversion the library reads numbers with (header
// only, the same on every build); the web build's C++ library has no
// std::from_chars for double.
#include <fast_float.h>

#include "destination/failure_explain.h"
#include "text/text_codec.h"
#include "vexa/vexa.h"
#include "tool_interface/destination_access.h"

namespace vexa::tool {
namespace {

namespace dst = vexa::tool_interface;

constexpr std::size_t kStoredNameBytes = VEXA_NAME_SIZE - 1;
constexpr int kGroupFields = 4;

std::string Fields(int first, int last) {
  return first == last ? "field " + std::to_string(first)
                       : "fields " + std::to_string(first) + " to " +
                             std::to_string(last);
}

std::string FieldsAreIgnored(int first, int last) {
  return Fields(first, last) + (first == last ? " is" : " are") + " ignored";
}

std::string Quoted(std::string_view bytes) {
  return "'" + DisplayText(bytes) + "'";
}

void CheckRange(double degrees, double limit, const std::string& what,
                int index, std::vector<std::string>* warnings) {
  if (std::fabs(degrees) <= limit) return;
  char value[32];
  std::snprintf(value, sizeof value, "%.7g", degrees);
  warnings->push_back("field " + std::to_string(index) + " (" + what + ") is " +
                      value + "°, outside ±" +
                      std::to_string(static_cast<int>(limit)) + "°");
}

void CheckDegreesMinutes(const std::string& field, int width, int index,
                         const std::string& what,
                         std::vector<std::string>* warnings) {
  const std::int32_t units = dst::DegreesMinutesToUnits(field.c_str(), width);
  CheckRange(static_cast<double>(units) / VEXA_UNITS_PER_DEGREE,
             width == 2 ? 90 : 180, what, index, warnings);
  if (field.size() <= static_cast<std::size_t>(width)) return;
  // Negative values are written with zero degrees and signed minutes, so
  // only minutes of 60 or more are out of place.
  double minutes = 0;
  const char* begin = field.data() + width;
  const auto read =
      fast_float::from_chars(begin, field.data() + field.size(), minutes);
  if (read.ec == std::errc() && minutes >= 60) {
    warnings->push_back("field " + std::to_string(index) + " (" + what + ") " +
                        Quoted(field) + " has " + std::string(begin, read.ptr) +
                        " minutes; a degree has 60");
  }
}

void CheckGuideMessage(const std::vector<std::string>& f,
                       std::vector<std::string>* warnings) {
  const int count = static_cast<int>(f.size());
  if (count > 2 && f[2].size() > 1) {
    warnings->push_back("field 2 (route preference) " + Quoted(f[2]) +
                        ": only its first character counts");
  }
  CheckDegreesMinutes(f[3], 2, 3, "destination latitude", warnings);
  CheckDegreesMinutes(f[4], 3, 4, "destination longitude", warnings);
  int used = 5;  // fields the library reads
  if (count > 5 && !f[5].empty() && f[5][0] == 'B') {
    const int vias = dst::ReadIntSaturated(f[5].c_str() + 1);
    used = 6 + 2 * vias;
    for (int i = 0; i < vias; ++i) {
      const std::string via = " of via point " + std::to_string(i + 1);
      CheckDegreesMinutes(f[6 + 2 * i], 2, 6 + 2 * i, "latitude" + via,
                          warnings);
      CheckDegreesMinutes(f[7 + 2 * i], 3, 7 + 2 * i, "longitude" + via,
                          warnings);
    }
  } else if (count > 5) {
    warnings->push_back("field 5 " + Quoted(f[5]) +
                        " does not begin with 'B', so " +
                        FieldsAreIgnored(5, count - 1));
    return;
  }
  if (count > used) {
    warnings->push_back("behind the last via point, " +
                        FieldsAreIgnored(used, count - 1));
  }
}

void CheckDestinationList(const std::vector<std::string>& f,
                          std::vector<std::string>* warnings) {
  const int count = static_cast<int>(f.size());
  const int groups = (count - 1) / kGroupFields;
  for (int k = 0; k < groups && k < VEXA_MAX_POINTS; ++k) {
    const int first = 1 + kGroupFields * k;
    const std::string which = " of destination " + std::to_string(k + 1);
    CheckRange(
        static_cast<double>(dst::DecimalDegreesToUnits(f[first].c_str())) /
            VEXA_UNITS_PER_DEGREE,
        180, "longitude" + which, first, warnings);
    CheckRange(
        static_cast<double>(dst::DecimalDegreesToUnits(f[first + 1].c_str())) /
            VEXA_UNITS_PER_DEGREE,
        90, "latitude" + which, first + 1, warnings);
    const std::string& name = f[first + 2];
    if (name.size() > kStoredNameBytes) {
      bool whole = true;
      bool kept = true;
      CodePageToUtf8(name, &whole);
      CodePageToUtf8(name.substr(0, kStoredNameBytes), &kept);
      warnings->push_back(
          "field " + std::to_string(first + 2) + " (name" + which + ") is " +
          std::to_string(name.size()) + " bytes; only the first 99 are kept" +
          (whole && !kept ? ", which cuts a character in half" : ""));
    }
  }
  const int whole_fields = 1 + kGroupFields * VEXA_MAX_POINTS;
  if (count > whole_fields) {
    warnings->push_back("beyond the fifth group, " +
                        FieldsAreIgnored(whole_fields, count - 1));
  } else if ((count - 1) % kGroupFields != 0) {
    const int rest = (count - 1) % kGroupFields;
    warnings->push_back("the last group has only " + std::to_string(rest) +
                        " of 4 fields (" + Fields(count - rest, count - 1) +
                        ") and is ignored");
  }
}

}  // namespace

std::vector<std::string> StrictWarnings(int plan, std::string_view text) {
  std::vector<std::string> warnings;
  if (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    warnings.push_back(
        "the text ends in a line break, which becomes part "
        "of the last field");
  } else if (!text.empty() && text.back() == ',') {
    warnings.push_back("the text ends in a comma, which the library drops");
  }
  const std::vector<std::string> fields = SplitFields(text);
  // The plan accepted the text, so the fields it needs are there.
  if (plan == 1 && fields.size() >= 5) CheckGuideMessage(fields, &warnings);
  if (plan == 2 && !fields.empty()) CheckDestinationList(fields, &warnings);
  return warnings;
}

}  // namespace vexa::tool
