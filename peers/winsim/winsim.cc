// winsim: a simulated window system, display driver and registry for the
// host build. All state lives in one object behind one mutex; message
// handlers are called after the mutex has been released, so a handler may
// call back into the simulation (send, create or destroy windows).
//
// Recording needs memory. The record lists are reserved up front so that
// ordinary runs never grow them while the library works; should memory run
// out all the same (a test making allocations fail), the record is dropped
// rather than letting an exception reach the caller.
//
// The state is created on first use and never destroyed, so it stays
// usable while the process exits and libraries tear down.

#include "winsim.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

namespace winsim {
namespace {

// Window handles count up from here and are never reused; they stay far
// from kBroadcast and from the device-context range.
constexpr Window kFirstWindow = 0x10000;
constexpr Window kWindowStep = 0x10;
// A window's device context is its handle plus this offset.
constexpr DeviceContext kDcOffset = 0x40000000;
// Registry key handles count up from here; the predefined roots lie above
// 0x80000000.
constexpr RegistryKey kFirstKey = 0x2000;
constexpr std::size_t kReservedRecords = 1024;
// Broadcasts to at most this many windows need no heap memory.
constexpr std::size_t kInlineBroadcast = 64;

constexpr long kSuccess = 0;
constexpr long kNotFound = 2;        // ERROR_FILE_NOT_FOUND
constexpr long kInvalidHandle = 6;   // ERROR_INVALID_HANDLE
constexpr long kOutOfMemory = 14;    // ERROR_OUTOFMEMORY
constexpr long kInvalidParameter = 87;
constexpr long kMoreData = 234;      // ERROR_MORE_DATA

struct WindowRecord {
  Window handle;
  std::u16string title;
  bool visible;
  std::shared_ptr<Handler> handler;  // null: none
};

struct RegistryValue {
  std::u16string name;
  std::vector<std::uint8_t> bytes;
};

struct KeyRecord {
  RegistryKey root;
  std::u16string path;
  std::vector<RegistryValue> values;
};

struct OpenKey {
  RegistryKey handle;
  RegistryKey root;
  std::u16string path;
};

struct State {
  State() {
    try {
      deliveries.reserve(kReservedRecords);
      escapes.reserve(kReservedRecords);
      foreground_requests.reserve(kReservedRecords);
      journal.reserve(kReservedRecords);
      open_keys.reserve(kReservedRecords);
    } catch (const std::bad_alloc&) {
      // The lists grow when recording instead.
    }
  }

  std::mutex mutex;
  std::vector<WindowRecord> windows;  // z-order, top first
  Window next_window = kFirstWindow;
  Window foreground = 0;
  std::vector<Window> foreground_requests;
  std::vector<Delivery> deliveries;
  std::intptr_t broadcast_result = 1;
  std::vector<EscapeRecord> escapes;
  int escape_result = 1;
  int open_dcs = 0;
  std::vector<KeyRecord> keys;
  std::vector<OpenKey> open_keys;
  RegistryKey next_key = kFirstKey;
  bool registry_file_checked = false;
  std::vector<std::string> journal;
};

// Built in static storage, so that first use cannot fail for want of heap,
// and never destroyed.
State& TheState() {
  alignas(State) static unsigned char storage[sizeof(State)];
  static State* state = new (storage) State;
  return *state;
}

// Runs `record`, dropping the record when memory runs out.
template <class Function>
void TryRecord(Function record) {
  try {
    record();
  } catch (const std::bad_alloc&) {
  }
}

WindowRecord* FindWindow(State& state, Window window) {
  for (WindowRecord& record : state.windows) {
    if (record.handle == window) return &record;
  }
  return nullptr;
}

// ---- Text ----

// Case folding as the registry compares names: ASCII and Latin-1 letters.
char16_t Fold(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

bool EqualFolded(const char16_t* a, std::size_t a_size, const char16_t* b,
                 std::size_t b_size) {
  if (a_size != b_size) return false;
  for (std::size_t i = 0; i < a_size; ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

bool EqualFolded(const std::u16string& a, const std::u16string& b) {
  return EqualFolded(a.data(), a.size(), b.data(), b.size());
}

std::size_t Length(const char16_t* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

std::string ToUtf8(const char16_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char16_t* p = text; *p != 0; ++p) {
    char32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Decodes UTF-8; a malformed byte becomes U+FFFD.
std::u16string FromUtf8(const std::string& text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    auto byte = static_cast<unsigned char>(text[i]);
    int extra = byte < 0x80 ? 0 : (byte >> 5) == 6 ? 1 : (byte >> 4) == 14 ? 2
              : (byte >> 3) == 30 ? 3 : -1;
    char32_t c = extra == 0 ? byte : extra == 1 ? byte & 0x1F
               : extra == 2 ? byte & 0x0F : byte & 0x07;
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (next & 0x3F);
    }
    if (!ok || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += static_cast<char16_t>(0xFFFD);
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

// ---- Registry ----

bool IsPredefinedRoot(RegistryKey key) {
  return key >= 0x80000000u && key <= 0x80000006u;
}

// A key exists when a stored key is it or lies below it; a root always does.
bool KeyExists(const State& state, RegistryKey root, const std::u16string& path) {
  if (path.empty()) return true;
  for (const KeyRecord& key : state.keys) {
    if (key.root != root) continue;
    if (EqualFolded(key.path, path)) return true;
    if (key.path.size() > path.size() && key.path[path.size()] == u'\\' &&
        EqualFolded(key.path.data(), path.size(), path.data(), path.size())) {
      return true;
    }
  }
  return false;
}

KeyRecord* FindKey(State& state, RegistryKey root, const std::u16string& path) {
  for (KeyRecord& key : state.keys) {
    if (key.root == root && EqualFolded(key.path, path)) return &key;
  }
  return nullptr;
}

void StoreValue(State& state, RegistryKey root, const std::u16string& path,
                const std::u16string& name, std::vector<std::uint8_t> bytes) {
  KeyRecord* key = FindKey(state, root, path);
  if (key == nullptr) {
    state.keys.push_back({root, path, {}});
    key = &state.keys.back();
  }
  for (RegistryValue& value : key->values) {
    if (EqualFolded(value.name, name)) {
      value.bytes = std::move(bytes);
      return;
    }
  }
  key->values.push_back({name, std::move(bytes)});
}

std::vector<std::uint8_t> StringBytes(const std::u16string& text) {
  std::vector<std::uint8_t> bytes((text.size() + 1) * 2, 0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
  return bytes;
}

// Loads VEXA_REGISTRY at the first registry use (again after Reset).
void EnsureRegistryFile() {
  State& state = TheState();
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.registry_file_checked) return;
    state.registry_file_checked = true;
  }
  const char* path = std::getenv("VEXA_REGISTRY");
  if (path != nullptr && path[0] != '\0' && !LoadRegistryFile(path)) {
    std::fprintf(stderr, "winsim: cannot load the registry file %s\n", path);
  }
}

struct ParsedLine {
  RegistryKey root;
  std::u16string path;
  std::u16string name;
  std::vector<std::uint8_t> bytes;
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "hex:41 00 42 00" gives those bytes; "dword:2a" a little-endian word;
// anything else is text, stored as UTF-16 with its terminator.
bool ParseValue(const std::string& text, std::vector<std::uint8_t>* bytes) {
  if (text.compare(0, 4, "hex:") == 0) {
    int high = -1;
    for (std::size_t i = 4; i < text.size(); ++i) {
      char c = text[i];
      if (c == ' ' || c == ',') {
        if (high >= 0) return false;
        continue;
      }
      int digit = HexDigit(c);
      if (digit < 0) return false;
      if (high < 0) {
        high = digit;
      } else {
        bytes->push_back(static_cast<std::uint8_t>(high * 16 + digit));
        high = -1;
      }
    }
    return high < 0;
  }
  if (text.compare(0, 6, "dword:") == 0) {
    if (text.size() == 6 || text.size() > 14) return false;
    std::uint32_t word = 0;
    for (std::size_t i = 6; i < text.size(); ++i) {
      int digit = HexDigit(text[i]);
      if (digit < 0) return false;
      word = word * 16 + static_cast<std::uint32_t>(digit);
    }
    for (int i = 0; i < 4; ++i) bytes->push_back(static_cast<std::uint8_t>(word >> (8 * i)));
    return true;
  }
  *bytes = StringBytes(FromUtf8(text));
  return true;
}

bool ParseLine(const std::string& line, ParsedLine* parsed) {
  std::size_t first = line.find('|');
  if (first == std::string::npos) return false;
  std::size_t second = line.find('|', first + 1);
  if (second == std::string::npos) return false;
  std::string key = line.substr(0, first);
  std::size_t slash = key.find('\\');
  std::string root = key.substr(0, slash);
  std::u16string root16 = FromUtf8(root);
  if (EqualFolded(root16, u"HKCU") || EqualFolded(root16, u"HKEY_CURRENT_USER")) {
    parsed->root = kCurrentUser;
  } else {
    return false;
  }
  parsed->path = slash == std::string::npos ? u"" : FromUtf8(key.substr(slash + 1));
  parsed->name = FromUtf8(line.substr(first + 1, second - first - 1));
  return ParseValue(line.substr(second + 1), &parsed->bytes);
}

void AddJournalLine(State& state, std::string line) {
  TryRecord([&] { state.journal.push_back(std::move(line)); });
}

}  // namespace

// ---- Windows ----------------------------------------------------------------

Window CreateWindow(const std::u16string& title, bool visible, Handler handler) {
  std::shared_ptr<Handler> shared;
  if (handler) shared = std::make_shared<Handler>(std::move(handler));
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  Window window = state.next_window;
  state.next_window += kWindowStep;
  state.windows.insert(state.windows.begin(),
                       WindowRecord{window, title, visible, std::move(shared)});
  return window;
}

void DestroyWindow(Window window) {
  std::shared_ptr<Handler> handler;  // destroyed after the lock is released
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (auto it = state.windows.begin(); it != state.windows.end(); ++it) {
    if (it->handle == window) {
      handler = std::move(it->handler);
      state.windows.erase(it);
      break;
    }
  }
  if (state.foreground == window) state.foreground = 0;
}

void SetVisible(Window window, bool visible) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (WindowRecord* record = FindWindow(state, window)) record->visible = visible;
}

void SetZOrder(const std::vector<Window>& top_to_bottom) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  bool valid = top_to_bottom.size() == state.windows.size();
  std::vector<WindowRecord> reordered;
  for (std::size_t i = 0; valid && i < top_to_bottom.size(); ++i) {
    Window window = top_to_bottom[i];
    for (std::size_t j = 0; j < i; ++j) {
      if (top_to_bottom[j] == window) valid = false;
    }
    WindowRecord* record = FindWindow(state, window);
    if (record == nullptr) valid = false;
    if (valid) reordered.push_back(*record);
  }
  if (!valid) {
    std::fprintf(stderr, "winsim: SetZOrder needs every live window once; ignored\n");
    return;
  }
  state.windows = std::move(reordered);
}

std::vector<Window> ZOrder() {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::vector<Window> order;
  for (const WindowRecord& record : state.windows) order.push_back(record.handle);
  return order;
}

Window Find(const char16_t* title) {
  if (title == nullptr) return 0;
  std::size_t size = Length(title);
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (const WindowRecord& record : state.windows) {
    if (record.title.size() == size && record.title.compare(0, size, title) == 0) {
      return record.handle;
    }
  }
  return 0;
}

Window Next(Window window) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (std::size_t i = 0; i < state.windows.size(); ++i) {
    if (state.windows[i].handle == window) {
      return i + 1 < state.windows.size() ? state.windows[i + 1].handle : 0;
    }
  }
  return 0;
}

bool Visible(Window window) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  const WindowRecord* record = FindWindow(state, window);
  return record != nullptr && record->visible;
}

void SetForeground(Window window) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  // Every request is recorded, one for no window included.
  TryRecord([&] { state.foreground_requests.push_back(window); });
  if (FindWindow(state, window) != nullptr) state.foreground = window;
}

Window Foreground() {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.foreground;
}

std::vector<Window> ForegroundRequests() {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.foreground_requests;
}

std::intptr_t Send(Window window, std::uint32_t message, std::uintptr_t wparam,
                   std::intptr_t lparam) {
  State& state = TheState();
  std::unique_lock<std::mutex> lock(state.mutex);
  TryRecord([&] { state.deliveries.push_back({window, message, wparam, lparam}); });

  if (window != kBroadcast) {
    WindowRecord* record = FindWindow(state, window);
    if (record == nullptr || !record->handler) return 0;
    std::shared_ptr<Handler> handler = record->handler;
    lock.unlock();
    return (*handler)(Message{window, message, wparam, lparam});
  }

  // A broadcast reaches the windows present when it starts, top first, each
  // by its own handle. Handlers run without the lock, so they are copied
  // out first: inline for the usual few windows, on the heap beyond that.
  struct Target {
    Window window;
    std::shared_ptr<Handler> handler;
  };
  std::intptr_t result = state.broadcast_result;
  std::size_t count = state.windows.size();
  Target inline_targets[kInlineBroadcast];
  std::vector<Target> heap_targets;
  Target* targets = inline_targets;
  if (count > kInlineBroadcast) {
    try {
      heap_targets.resize(count);
    } catch (const std::bad_alloc&) {
      count = kInlineBroadcast;  // the rest cannot be reached
    }
    if (!heap_targets.empty()) targets = heap_targets.data();
  }
  for (std::size_t i = 0; i < count; ++i) {
    targets[i] = {state.windows[i].handle, state.windows[i].handler};
  }
  lock.unlock();
  for (std::size_t i = 0; i < count; ++i) {
    if (targets[i].handler) {
      (*targets[i].handler)(Message{targets[i].window, message, wparam, lparam});
    }
  }
  return result;
}

void SetBroadcastResult(std::intptr_t result) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.broadcast_result = result;
}

std::vector<Delivery> Deliveries() {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.deliveries;
}

// ---- Display driver -----------------------------------------------------------

DeviceContext GetDC(Window window) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (FindWindow(state, window) == nullptr) return 0;
  ++state.open_dcs;
  return window + kDcOffset;
}

void ReleaseDC(Window window, DeviceContext dc) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (dc != 0 && dc == window + kDcOffset && state.open_dcs > 0) --state.open_dcs;
}

int OpenDCCount() {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.open_dcs;
}

int Escape(DeviceContext dc, int code, int input_size, const char* input,
           int output_size, char* output) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  Window window = 0;
  if (dc > kDcOffset && FindWindow(state, dc - kDcOffset) != nullptr) {
    window = dc - kDcOffset;
  }
  TryRecord([&] {
    state.escapes.push_back({window, dc, code, input_size, input != nullptr,
                             output_size, output != nullptr});
  });
  return state.escape_result;
}

void SetEscapeResult(int result) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.escape_result = result;
}

std::vector<EscapeRecord> Escapes() {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.escapes;
}

// ---- Registry ---------------------------------------------------------------------

void SetRegistryString(RegistryKey root, const std::u16string& key,
                       const std::u16string& name, const std::u16string& value) {
  SetRegistryBytes(root, key, name, StringBytes(value));
}

void SetRegistryBytes(RegistryKey root, const std::u16string& key,
                      const std::u16string& name,
                      const std::vector<std::uint8_t>& bytes) {
  EnsureRegistryFile();
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  StoreValue(state, root, key, name, bytes);
}

bool LoadRegistryFile(const std::string& path) {
  std::ifstream file(path);
  if (!file) return false;
  std::vector<ParsedLine> parsed;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    ParsedLine entry;
    if (!ParseLine(line, &entry)) return false;  // nothing of the file is kept
    parsed.push_back(std::move(entry));
  }
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (ParsedLine& entry : parsed) {
    StoreValue(state, entry.root, entry.path, entry.name, std::move(entry.bytes));
  }
  return true;
}

long RegOpen(RegistryKey root, const char16_t* subkey, RegistryKey* key) {
  EnsureRegistryFile();
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  try {
    state.journal.push_back("reg-open " + ToUtf8(subkey));
  } catch (const std::bad_alloc&) {
  }
  if (key == nullptr) return kInvalidParameter;
  try {
    RegistryKey base_root = root;
    std::u16string path;
    if (!IsPredefinedRoot(root)) {
      const OpenKey* parent = nullptr;
      for (const OpenKey& open : state.open_keys) {
        if (open.handle == root) parent = &open;
      }
      if (parent == nullptr) return kInvalidHandle;
      base_root = parent->root;
      path = parent->path;
    }
    if (subkey != nullptr && subkey[0] != 0) {
      if (!path.empty()) path += u'\\';
      path += subkey;
    }
    if (!KeyExists(state, base_root, path)) return kNotFound;
    RegistryKey handle = state.next_key++;
    state.open_keys.push_back({handle, base_root, std::move(path)});
    *key = handle;
    return kSuccess;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

long RegQuery(RegistryKey key, const char16_t* name, void* buffer,
              std::uint32_t* size) {
  EnsureRegistryFile();
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  try {
    state.journal.push_back("reg-query " + ToUtf8(name));
  } catch (const std::bad_alloc&) {
  }
  RegistryKey root = key;
  const std::u16string* path = nullptr;
  static const std::u16string kRootPath;
  if (IsPredefinedRoot(key)) {
    path = &kRootPath;
  } else {
    for (const OpenKey& open : state.open_keys) {
      if (open.handle == key) {
        root = open.root;
        path = &open.path;
      }
    }
    if (path == nullptr) return kInvalidHandle;
  }
  if (size == nullptr) return kInvalidParameter;
  const KeyRecord* record = FindKey(state, root, *path);
  if (record == nullptr) return kNotFound;
  std::size_t name_size = name == nullptr ? 0 : Length(name);
  const char16_t* value_name = name == nullptr ? u"" : name;
  for (const RegistryValue& value : record->values) {
    if (!EqualFolded(value.name.data(), value.name.size(), value_name, name_size)) {
      continue;
    }
    auto length = static_cast<std::uint32_t>(value.bytes.size());
    if (buffer == nullptr) {  // a size query, as Windows allows
      *size = length;
      return kSuccess;
    }
    if (length > *size) {
      *size = length;
      return kMoreData;
    }
    if (length != 0) std::memcpy(buffer, value.bytes.data(), length);
    *size = length;
    return kSuccess;
  }
  return kNotFound;
}

void RegClose(RegistryKey key) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  AddJournalLine(state, "reg-close");
  for (auto it = state.open_keys.begin(); it != state.open_keys.end(); ++it) {
    if (it->handle == key) {
      state.open_keys.erase(it);
      return;
    }
  }
}

int OpenKeyCount() {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  return static_cast<int>(state.open_keys.size());
}

// ---- Journal and reset ------------------------------------------------------------

void Note(const std::string& line) {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  AddJournalLine(state, line);
}

std::vector<std::string> Journal() {
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.journal;
}

void Reset() {
  std::vector<WindowRecord> windows;  // handlers die after the lock is released
  State& state = TheState();
  std::lock_guard<std::mutex> lock(state.mutex);
  windows.swap(state.windows);
  state.foreground = 0;
  state.foreground_requests.clear();
  state.deliveries.clear();
  state.broadcast_result = 1;
  state.escapes.clear();
  state.escape_result = 1;
  state.open_dcs = 0;
  state.keys.clear();
  state.open_keys.clear();
  state.registry_file_checked = false;
  state.journal.clear();
}

}  // namespace winsim
