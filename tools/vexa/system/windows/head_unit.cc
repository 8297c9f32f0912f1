// The head unit on a Windows desktop (see head_unit.h): real top-level
// windows of this process, whose window procedure records every message in
// the application range (the library's notifications are all there), the
// user's registry for the add-on library's name, and the sound peers'
// journal file (VEXA_PEER_JOURNAL).

#include "system/head_unit.h"

#include <cstdio>
#include <fstream>
#include <map>

#include "system/environment.h"
#include "system/sound_listener.h"
#include "system/windows/wide.h"

namespace vexa::tool {
namespace {

constexpr wchar_t kWindowClass[] = L"VexaHeadUnitWindow";
constexpr wchar_t kConfigKey[] = L"Software\\Shell\\Config";
constexpr wchar_t kAddonValue[] = L"AddonDll";

struct Arrival {
  HWND window;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};
std::vector<Arrival> g_arrivals;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam,
                           LPARAM lparam) {
  if (message >= WM_USER && message < 0xC000) {
    g_arrivals.push_back({window, message, wparam, lparam});
    return 1;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

std::string Hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}

}  // namespace

struct HeadUnit::State {
  std::map<HWND, std::string> titles;
  std::size_t arrivals = 0;
  HWND foreground = nullptr;
  std::filesystem::path journal;
  std::size_t journal_lines = 0;
  std::unique_ptr<SoundListener> platform9;
  bool platform9_wanted = false;
  // The registry value as it was before the run, restored at its end.
  bool set_addon = false;
  bool had_addon = false;
  std::wstring old_addon;
};

HeadUnit::HeadUnit(int sound_platform, const std::filesystem::path& scratch)
    : state_(new State) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = Procedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = kWindowClass;
  ::RegisterClassW(&window_class);
  state_->journal = scratch / "peer-journal.txt";
  SetEnvironment("VEXA_PEER_JOURNAL", state_->journal.u8string());
  if (sound_platform == 9) {
    // Opened as a listener opens them; the simulation never waits on the
    // event, so a listener elsewhere still gets every signal.
    state_->platform9_wanted = true;
    state_->platform9 = std::make_unique<SoundListener>();
    std::string ignored;
    if (!state_->platform9->Open(&ignored)) state_->platform9.reset();
  }
  Mark();
}

HeadUnit::~HeadUnit() {
  for (const auto& [window, title] : state_->titles) ::DestroyWindow(window);
  if (state_->set_addon) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kConfigKey, 0, KEY_SET_VALUE,
                        &key) == ERROR_SUCCESS) {
      if (state_->had_addon) {
        ::RegSetValueExW(
            key, kAddonValue, 0, REG_SZ,
            reinterpret_cast<const BYTE*>(state_->old_addon.c_str()),
            static_cast<DWORD>((state_->old_addon.size() + 1) *
                               sizeof(wchar_t)));
      } else {
        ::RegDeleteValueW(key, kAddonValue);
      }
      ::RegCloseKey(key);
    }
  }
}

const char* HeadUnit::SystemName() { return "Windows"; }

void HeadUnit::SetAddonLibrary(const std::u16string& file_name) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kConfigKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return;
  }
  wchar_t old[261] = {};
  DWORD size = sizeof old - sizeof(wchar_t);
  DWORD type = 0;
  state_->had_addon =
      ::RegQueryValueExW(key, kAddonValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(old), &size) ==
          ERROR_SUCCESS &&
      type == REG_SZ;
  state_->old_addon = old;
  const std::wstring value(file_name.begin(), file_name.end());
  state_->set_addon =
      ::RegSetValueExW(key, kAddonValue, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) *
                                          sizeof(wchar_t))) == ERROR_SUCCESS;
  ::RegCloseKey(key);
}

HeadUnit::Window HeadUnit::MakeWindow(const std::string& title, bool visible,
                                      std::string* error) {
  std::wstring wide;
  Utf8ToWide(title, &wide);
  const HWND window = ::CreateWindowExW(
      0, kWindowClass, wide.c_str(),
      WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0, 320, 200,
      nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) {
    *error = SystemErrorText(::GetLastError());
    return 0;
  }
  // Each new window goes to the top, as on the head unit.
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  state_->titles[window] = title;
  return reinterpret_cast<Window>(window);
}

std::string HeadUnit::Describe(Window window) const {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx",
                static_cast<unsigned long long>(window));
  const auto it = state_->titles.find(reinterpret_cast<HWND>(window));
  return it == state_->titles.end()
             ? std::string(text)
             : std::string(text) + " \"" + it->second + "\"";
}

std::string HeadUnit::ZOrder() const {
  std::string order;
  for (HWND window = ::GetTopWindow(nullptr); window != nullptr;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (state_->titles.count(window) == 0) continue;
    if (!order.empty()) order += "; ";
    order += Describe(reinterpret_cast<Window>(window)) +
             (::IsWindowVisible(window) ? " visible" : " hidden");
  }
  return order;
}

std::string HeadUnit::ControlNote(int platform) const {
  if (platform != 2) return "";
  return "head unit: the display escape 0x80002EFC went to this desktop's "
         "display driver, which has no such escape: a desktop cannot hand "
         "the screen to a head unit's control program (the call's result "
         "is the driver's answer)";
}

void HeadUnit::Mark() {
  state_->arrivals = g_arrivals.size();
  state_->foreground = ::GetForegroundWindow();
  state_->journal_lines = 0;
  std::ifstream journal(state_->journal);
  for (std::string line; std::getline(journal, line);) {
    ++state_->journal_lines;
  }
}

std::vector<std::string> HeadUnit::Received() {
  // Posted messages reach the windows only through this thread's queue.
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  std::vector<std::string> lines;
  for (std::size_t i = state_->arrivals; i < g_arrivals.size(); ++i) {
    const Arrival& a = g_arrivals[i];
    lines.push_back(
        "head unit: " + Describe(reinterpret_cast<Window>(a.window)) +
        " received message " + std::to_string(a.message) + " (" +
        Hex(a.message) + ") wParam " +
        std::to_string(static_cast<unsigned long long>(a.wparam)) +
        " lParam " + std::to_string(static_cast<long long>(a.lparam)));
  }
  const HWND foreground = ::GetForegroundWindow();
  if (foreground != state_->foreground &&
      state_->titles.count(foreground) != 0) {
    lines.push_back("head unit: " +
                    Describe(reinterpret_cast<Window>(foreground)) +
                    " brought to the foreground");
  }
  std::ifstream journal(state_->journal);
  std::size_t number = 0;
  for (std::string line; std::getline(journal, line); ++number) {
    if (number >= state_->journal_lines) lines.push_back("head unit: " + line);
  }
  Mark();
  return lines;
}

std::uint32_t HeadUnit::SharedWord() const {
  return state_->platform9 ? state_->platform9->Word() : 0;
}

long long HeadUnit::EventSignals() const {
  return state_->platform9_wanted ? -1 : 0;
}

}  // namespace vexa::tool
