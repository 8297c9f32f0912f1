// Names adapted to a destination list (see name_fitting.h).

#include "destination/name_fitting.h"

#include "text/text_codec.h"

namespace vexa::tool {
namespace {

// The length of the UTF-8 character that `lead` starts (1 for a byte that
// starts none; the whole name is valid UTF-8 when this is called).
std::size_t CharLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

std::string Counted(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string FitName(const std::string& name, std::string* fitted) {
  *fitted = name;
  if (!FirstInvalidUtf8(name).empty()) return "";
  std::string ignored;
  const std::string comma =
      Utf8ToCodePage("\xEF\xBC\x8C", &ignored) ? "\xEF\xBC\x8C" : ";";
  std::string out;
  int commas = 0;
  int unmappable = 0;
  for (std::size_t pos = 0; pos < name.size();) {
    const std::size_t length =
        CharLength(static_cast<unsigned char>(name[pos]));
    const std::string character = name.substr(pos, length);
    pos += length;
    if (character == ",") {
      out += comma;
      ++commas;
    } else if (!Utf8ToCodePage(character, &ignored)) {
      out += '?';
      ++unmappable;
    } else {
      out += character;
    }
  }
  if (commas == 0 && unmappable == 0) return "";
  *fitted = out;
  std::string what;
  if (unmappable > 0) {
    what = Counted(unmappable, "character", "characters") + " code page " +
           std::to_string(DestinationCodePage()) + " lacks";
  }
  if (commas > 0) {
    what += (what.empty() ? "" : ", ") + Counted(commas, "comma", "commas");
  }
  return what;
}

}  // namespace vexa::tool
