// CSV import (see csv_import.h).

#include "formats/csv_import.h"

#include <cctype>
#include <charconv>
#include <map>

#include "system/input_file.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

constexpr std::size_t kMaxCsvBytes = 1 << 20;

struct Row {
  std::size_t line = 0;  // where the row begins, 1-based
  std::vector<std::string> fields;
};

// Splits `text` into rows of fields. False with the line of an unclosed
// quote.
bool SplitRows(const std::string& text, std::vector<Row>* rows,
               std::size_t* bad_line) {
  std::size_t line = 1;
  std::size_t pos = 0;
  while (pos < text.size()) {
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
            if (text[pos] == '\n') ++line;
            field += text[pos++];
          }
        }
      }
      while (pos < text.size() && text[pos] != ',' && text[pos] != '\n') {
        field += text[pos++];
      }
      if (!field.empty() && field.back() == '\r') field.pop_back();
      row.fields.push_back(field);
      field.clear();
      if (pos < text.size() && text[pos] == ',') {
        ++pos;
        continue;
      }
      break;
    }
    if (pos < text.size()) ++pos, ++line;  // the line break
    // A blank line (a lone "\r" of a CRLF file included) is no row.
    const bool blank = row.fields.size() == 1 && row.fields[0].empty();
    if (!blank) rows->push_back(row);
  }
  return true;
}

bool ReadNumber(std::string text, double* value) {
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  const auto result =
      std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && result.ec == std::errc() &&
         result.ptr == text.data() + text.size();
}

}  // namespace

bool ImportCsv(const std::string& path, std::vector<EncodePoint>* points,
               std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, kMaxCsvBytes, &text, error)) return false;
  // A spreadsheet's "CSV UTF-8" begins with a byte-order mark.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::vector<Row> rows;
  std::size_t bad_line = 0;
  if (!SplitRows(text, &rows, &bad_line)) {
    *error = InputName(path) + ": the quoted field opened on line " +
             std::to_string(bad_line) + " is never closed";
    return false;
  }
  if (rows.empty()) {
    *error = InputName(path) +
             " is empty; it needs a header row such as "
             "latitude,longitude,name,route";
    return false;
  }
  std::map<std::string, std::size_t> column;
  for (std::size_t i = 0; i < rows[0].fields.size(); ++i) {
    std::string name;
    for (char c : rows[0].fields[i]) {
      if (c != ' ')
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (name != "latitude" && name != "longitude" && name != "name" &&
        name != "route") {
      *error = InputName(path) + ": the header names an unknown column '" +
               ShownText(rows[0].fields[i]) +
               "' (known: latitude, longitude, name, route)";
      return false;
    }
    column[name] = i;
  }
  if (!column.count("latitude") || !column.count("longitude")) {
    *error = InputName(path) +
             ": the header row must name the columns "
             "latitude and longitude";
    return false;
  }
  points->clear();
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const Row& row = rows[r];
    EncodePoint point;
    point.origin = "CSV line " + std::to_string(row.line);
    if (row.fields.size() != rows[0].fields.size()) {
      *error = point.origin + " has " + std::to_string(row.fields.size()) +
               " fields; the header has " +
               std::to_string(rows[0].fields.size());
      return false;
    }
    if (!ReadNumber(row.fields[column["latitude"]], &point.latitude) ||
        !ReadNumber(row.fields[column["longitude"]], &point.longitude)) {
      *error = point.origin +
               ": latitude and longitude must be decimal "
               "degrees";
      return false;
    }
    if (column.count("name")) point.name = row.fields[column["name"]];
    if (column.count("route") && !row.fields[column["route"]].empty()) {
      point.route = RouteModeFromName(row.fields[column["route"]]);
      if (point.route < 0) {
        *error = point.origin + ": route '" +
                 ShownText(row.fields[column["route"]]) +
                 "' is not recommended, fastest, shortest or economical";
        return false;
      }
    }
    points->push_back(point);
  }
  return true;
}

}  // namespace vexa::tool
