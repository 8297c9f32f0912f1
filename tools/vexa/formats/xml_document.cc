// XML documents of GPX and KML (see xml_document.h).

#include "formats/xml_document.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "formats/input_text.h"
#include "formats/xml_failure.h"

namespace vexa::tool {
namespace {

// "line 3, column 7" of the byte at `offset`.
std::string Place(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  const std::string_view before = text.substr(0, offset);
  const std::size_t line_start = before.rfind('\n');
  const auto line = 1 + std::count(before.begin(), before.end(), '\n');
  const std::size_t column =
      offset - (line_start == std::string_view::npos ? 0 : line_start + 1) + 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Whether `text` at `pos` (just after a '&') is a reference XML itself
// defines: a predefined entity or a character reference.
bool DefinedReference(std::string_view text, std::size_t pos) {
  for (const char* name : {"amp;", "lt;", "gt;", "quot;", "apos;"}) {
    if (text.compare(pos, std::strlen(name), name) == 0) return true;
  }
  if (pos >= text.size() || text[pos] != '#') return false;
  ++pos;
  const bool hex = pos < text.size() && text[pos] == 'x';
  if (hex) ++pos;
  const std::size_t digits = pos;
  while (pos < text.size() &&
         (hex ? std::isxdigit(static_cast<unsigned char>(text[pos]))
              : std::isdigit(static_cast<unsigned char>(text[pos])))) {
    ++pos;
  }
  return pos > digits && pos < text.size() && text[pos] == ';';
}

// The offset of the first '&' outside comments, CDATA sections,
// processing instructions and the DOCTYPE that starts no reference XML
// defines; npos when there is none.
std::size_t UndefinedReference(std::string_view text) {
  std::size_t pos = 0;
  auto skip_to = [&](std::string_view end) {
    const std::size_t found = text.find(end, pos);
    pos = found == std::string_view::npos ? text.size() : found + end.size();
  };
  while (pos < text.size()) {
    const std::size_t next = text.find_first_of("<&", pos);
    if (next == std::string_view::npos) break;
    pos = next;
    const std::string_view rest = text.substr(pos);
    if (rest.substr(0, 4) == "<!--") {
      skip_to("-->");
    } else if (rest.substr(0, 9) == "<![CDATA[") {
      skip_to("]]>");
    } else if (rest.substr(0, 2) == "<?") {
      skip_to("?>");
    } else if (rest.substr(0, 9) == "<!DOCTYPE") {
      const std::size_t bracket = rest.find('[');
      if (bracket != std::string_view::npos && bracket < rest.find('>')) {
        skip_to("]");
      }
      skip_to(">");
    } else if (rest[0] == '&') {
      if (!DefinedReference(text, pos + 1)) return pos;
      ++pos;
    } else {
      ++pos;
    }
  }
  return std::string_view::npos;
}

}  // namespace

bool LoadXml(std::string_view bytes, const std::string& source,
             pugi::xml_document* document, std::string* error,
             const InputEncoding& encoding) {
  std::string text;
  std::string why;
  if (!DecodeXml(bytes, &text, &why, encoding)) {
    *error = source + " " + why;
    return false;
  }
  // The DOCTYPE is kept to be looked at, never followed: an entity it
  // declares would be left as "&name;" in the text, and an external one
  // would have to be fetched.
  const pugi::xml_parse_result parsed =
      document->load_buffer(text.data(), text.size(),
                            pugi::parse_default | pugi::parse_doctype,
                            pugi::encoding_utf8);
  if (!parsed) {
    *error = source + " " + XmlFailure(text, parsed);
    return false;
  }
  for (pugi::xml_node child : document->children()) {
    if (child.type() == pugi::node_doctype &&
        std::strstr(child.value(), "<!ENTITY") != nullptr) {
      *error = source +
               " declares entities in its DOCTYPE; they are not expanded "
               "(nor fetched): write the text in place of each entity";
      return false;
    }
  }
  const std::size_t amp = UndefinedReference(text);
  if (amp != std::string_view::npos) {
    const std::size_t end = text.find_first_of(";<& \t\r\n", amp + 1);
    const std::string_view shown = std::string_view(text).substr(
        amp, end != std::string::npos && text[end] == ';' ? end - amp + 1 : 1);
    *error = source + " is not well-formed XML: '" + ShownValue(shown) +
             "' at " + Place(text, amp) +
             (shown.size() > 1
                  ? " is an entity XML does not define (write the character "
                    "itself, or a reference such as &#160;)"
                  : " starts no entity reference (write &amp; for a lone &)");
    return false;
  }
  return true;
}

pugi::xml_node RootElement(const pugi::xml_document& document) {
  return document.document_element();
}

const char* LocalName(const pugi::xml_node& node) {
  const char* name = node.name();
  const char* colon = std::strrchr(name, ':');
  return colon != nullptr ? colon + 1 : name;
}

bool Is(const pugi::xml_node& node, const char* name) {
  return node.type() == pugi::node_element &&
         std::strcmp(LocalName(node), name) == 0;
}

std::vector<pugi::xml_node> Children(const pugi::xml_node& parent,
                                     const char* name) {
  std::vector<pugi::xml_node> nodes;
  for (pugi::xml_node child : parent.children()) {
    if (Is(child, name)) nodes.push_back(child);
  }
  return nodes;
}

pugi::xml_node Child(const pugi::xml_node& parent, const char* name) {
  for (pugi::xml_node child : parent.children()) {
    if (Is(child, name)) return child;
  }
  return pugi::xml_node();
}

namespace {

// Walks the elements below `node` without recursion: a hostile file may
// nest them deeper than any stack.
std::string TextContent(const pugi::xml_node& node) {
  std::string text;
  pugi::xml_node at = node.first_child();
  while (at) {
    if (at.type() == pugi::node_pcdata || at.type() == pugi::node_cdata) {
      text += at.value();
    }
    if (at.type() == pugi::node_element && at.first_child()) {
      at = at.first_child();
      continue;
    }
    while (at != node && !at.next_sibling()) at = at.parent();
    if (at == node) break;
    at = at.next_sibling();
  }
  return text;
}

}  // namespace

std::string Trimmed(const pugi::xml_node& node) {
  std::string value = TextContent(node);
  const char* const kSpace = " \t\r\n";
  const auto first = value.find_first_not_of(kSpace);
  if (first == std::string::npos) return "";
  const auto last = value.find_last_not_of(kSpace);
  return value.substr(first, last - first + 1);
}

std::string SavedXml(const pugi::xml_document& document) {
  struct Appender : pugi::xml_writer {
    std::string text;
    void write(const void* data, std::size_t size) override {
      text.append(static_cast<const char*>(data), size);
    }
  } writer;
  document.save(writer, "  ");
  return writer.text;
}

}  // namespace vexa::tool
