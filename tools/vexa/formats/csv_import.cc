// CSV import (see interchange_reader.h). Spreadsheets write CSV in many
// dialects: the separator is a comma, or a semicolon or tab where the
// locale's decimal mark is a comma; the header may say "Lat" or "y"; Excel
// adds rows of empty fields (",,,") below the data. The separator is the
// one of comma, semicolon and tab under which the header row names the
// coordinates; a decimal comma is read when the separator is not a comma.

#include <cctype>
#include <charconv>
#include <cmath>

#include "formats/input_text.h"
#include "formats/interchange_reader.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

struct Row {
  std::size_t line = 0;  // where the row begins, 1-based
  std::vector<std::string> fields;
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

// Whether a line ends at `pos`: LF, or a CR not followed by LF (old
// spreadsheets end lines with CR alone).
bool IsLineBreak(std::string_view text, std::size_t pos) {
  return text[pos] == '\n' ||
         (text[pos] == '\r' && (pos + 1 == text.size() || text[pos + 1] != '\n'));
}

// Splits `text` into rows of fields at `separator`, leaving out rows whose
// fields are all blank. Reads at most `most` rows. False with the line of
// an unclosed quote.
bool SplitRows(std::string_view text, char separator, std::size_t most,
               std::vector<Row>* rows, std::size_t* bad_line) {
  std::size_t line = 1;
  std::size_t pos = 0;
  while (pos < text.size() && rows->size() < most) {
    Row row;
    row.line = line;
    std::string field;
    for (;;) {
      if (pos < text.size() && text[pos] == '"') {
        ++pos;
        for (;;) {
          if (pos >= text.size()) {
            *bad_line = row.line;
            return false;
          }
          if (text[pos] == '"' && pos + 1 < text.size() &&
              text[pos + 1] == '"') {
            field += '"';
            pos += 2;
          } else if (text[pos] == '"') {
            ++pos;
            break;
          } else {
            if (IsLineBreak(text, pos)) ++line;
            field += text[pos++];
          }
        }
      }
      while (pos < text.size() && text[pos] != separator &&
             text[pos] != '\n' && text[pos] != '\r') {
        field += text[pos++];
      }
      row.fields.push_back(field);
      field.clear();
      if (pos < text.size() && text[pos] == separator) {
        ++pos;
        continue;
      }
      break;
    }
    if (pos < text.size()) {  // the line break: CRLF, LF or CR alone
      pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
      ++line;
    }
    bool blank = true;
    for (const std::string& f : row.fields) blank = blank && Trim(f).empty();
    if (!blank) rows->push_back(row);
  }
  return true;
}

enum Column { kLatitude, kLongitude, kName, kRoute, kColumns };

const char* const kColumnNames[kColumns] = {"latitude", "longitude", "name",
                                            "route"};
const char* const kColumnAliases[kColumns] = {
    "lat, latitude or y", "lon, lng, long, longitude or x",
    "name, title or label", "route or type"};

// The column a header names, or kColumns.
int ColumnOf(std::string_view header) {
  std::string name;
  for (char c : Trim(header)) {
    name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  static const struct {
    const char* name;
    int column;
  } kAliases[] = {{"lat", kLatitude},   {"latitude", kLatitude},
                  {"y", kLatitude},     {"lon", kLongitude},
                  {"lng", kLongitude},  {"long", kLongitude},
                  {"longitude", kLongitude}, {"x", kLongitude},
                  {"name", kName},      {"title", kName},
                  {"label", kName},     {"route", kRoute},
                  {"type", kRoute}};
  for (const auto& alias : kAliases) {
    if (name == alias.name) return alias.column;
  }
  return kColumns;
}

// The separator under which the first row names the most known columns
// (the coordinates above all); with none known, the one that splits it
// most, so a refusal shows the header's columns as the file meant them.
char SniffSeparator(std::string_view text) {
  char best = ',';
  int best_score = -1;
  for (char separator : {',', ';', '\t'}) {
    std::vector<Row> rows;
    std::size_t ignored = 0;
    SplitRows(text, separator, 1, &rows, &ignored);
    if (rows.empty()) return ',';
    bool known[kColumns + 1] = {};
    for (const std::string& field : rows[0].fields) known[ColumnOf(field)] = true;
    const int score = (known[kLatitude] + known[kLongitude]) * 1000 +
                      (known[kName] + known[kRoute]) * 100 +
                      static_cast<int>(std::min<std::size_t>(
                          rows[0].fields.size(), 99));
    if (score > best_score) {
      best = separator;
      best_score = score;
    }
  }
  return best;
}

// A field as decimal degrees; with `decimal_comma`, "52,5" is 52.5.
bool ReadDegrees(std::string_view field, bool decimal_comma, double* value) {
  std::string text(Trim(field));
  if (decimal_comma && text.find('.') == std::string::npos &&
      text.find(',') == text.rfind(',') && text.find(',') != std::string::npos) {
    text[text.find(',')] = '.';
  }
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  // Only a plain decimal number: from_chars would also take "inf" and "nan".
  if (text.empty() ||
      text.find_first_not_of("0123456789.-eE+") != std::string::npos) {
    return false;
  }
  const auto result =
      std::from_chars(text.data(), text.data() + text.size(), *value);
  return result.ec == std::errc() &&
         result.ptr == text.data() + text.size() && std::isfinite(*value);
}

std::string SeparatorName(char separator) {
  return separator == '\t' ? "tab" : std::string("'") + separator + "'";
}

}  // namespace

bool ReadCsv(std::string_view bytes, const std::string& source,
             std::vector<EncodePoint>* points,
             std::vector<std::string>* notes, std::string* error,
             const InputEncoding& encoding) {
  std::string text;
  if (!DecodeTextOf(bytes, source, encoding, &text, notes, error)) {
    return false;
  }
  const char separator = SniffSeparator(text);
  std::vector<Row> rows;
  std::size_t bad_line = 0;
  if (!SplitRows(text, separator, std::string::npos, &rows, &bad_line)) {
    *error = source + ": the quoted field opened on line " +
             std::to_string(bad_line) + " is never closed";
    return false;
  }
  if (rows.empty()) {
    *error = source +
             " is empty; it needs a header row such as "
             "latitude,longitude,name,route";
    return false;
  }
  const Row& header = rows[0];
  auto where = [&](const Row& row, std::size_t i) {
    return source + " row " + std::to_string(row.line) + ", column " +
           std::to_string(i + 1) + " (" +
           (i < header.fields.size() ? ShownValue(Trim(header.fields[i]))
                                     : std::string("beyond the header")) +
           ")";
  };
  std::size_t column[kColumns];
  bool has[kColumns] = {};
  std::string ignored;
  int ignored_count = 0;
  for (std::size_t i = 0; i < header.fields.size(); ++i) {
    const int c = ColumnOf(header.fields[i]);
    if (c == kColumns) {
      ignored += (ignored.empty() ? "'" : ", '") +
                 ShownValue(Trim(header.fields[i])) + "'";
      ++ignored_count;
      continue;
    }
    if (has[c]) {
      *error = where(header, i) + ": a second " + kColumnNames[c] +
               " column (column " + std::to_string(column[c] + 1) +
               " is one)";
      return false;
    }
    has[c] = true;
    column[c] = i;
  }
  if (!has[kLatitude] || !has[kLongitude]) {
    const int missing = has[kLatitude] ? kLongitude : kLatitude;
    std::string columns;
    for (std::size_t i = 0; i < header.fields.size() && i < 6; ++i) {
      columns += (i > 0 ? ", '" : "'") + ShownValue(header.fields[i]) + "'";
    }
    if (header.fields.size() > 6) columns += ", ...";
    *error = source + " row " + std::to_string(header.line) +
             ": the header names no " + kColumnNames[missing] + " column (" +
             kColumnAliases[missing] + "); its columns are " + columns;
    return false;
  }
  if (!ignored.empty()) {
    notes->push_back(source + ": ignored the column" +
                     (ignored_count == 1 ? " " : "s ") + ignored);
  }
  const bool decimal_comma = separator != ',';
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const Row& row = rows[r];
    for (std::size_t i = header.fields.size(); i < row.fields.size(); ++i) {
      if (!Trim(row.fields[i]).empty()) {
        *error = where(row, i) + ": '" + ShownValue(row.fields[i]) +
                 "' lies beyond the header's " +
                 std::to_string(header.fields.size()) +
                 " columns (a field that holds the separator " +
                 SeparatorName(separator) + " must be quoted)";
        return false;
      }
    }
    auto field = [&](int c) -> std::string {
      return column[c] < row.fields.size() ? row.fields[column[c]] : "";
    };
    EncodePoint point;
    point.origin = "CSV row " + std::to_string(row.line);
    for (int c : {kLatitude, kLongitude}) {
      double* value = c == kLatitude ? &point.latitude : &point.longitude;
      if (!ReadDegrees(field(c), decimal_comma, value)) {
        *error = where(row, column[c]) + ": '" + ShownValue(field(c)) +
                 "' is not a " + kColumnNames[c] + " in decimal degrees";
        return false;
      }
    }
    if (has[kName]) point.name = field(kName);
    if (has[kRoute] && !Trim(field(kRoute)).empty()) {
      point.route = RouteModeFromName(std::string(Trim(field(kRoute))));
      if (point.route < 0) {
        *error = where(row, column[kRoute]) + ": '" +
                 ShownValue(field(kRoute)) +
                 "' is not recommended, fastest, shortest or economical";
        return false;
      }
    }
    points->push_back(point);
  }
  return true;
}

}  // namespace vexa::tool
