// The host's head unit: the simulated window system, display driver and
// registry of libvexa_winsim.so, shared with the library (see head_unit.h).

#include "system/head_unit.h"

#include <cinttypes>
#include <cstdio>
#include <map>

#include "system/sound_listener.h"
#include "text/text_codec.h"
#include "winsim.h"

namespace vexa::tool {
namespace {

// Messages that reached the tool's windows, in order.
struct Arrival {
  winsim::Window window;
  std::uint32_t message;
};
std::vector<Arrival> g_arrivals;

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%" PRIX64, value);
  return text;
}

}  // namespace

struct HeadUnit::State {
  std::map<Window, std::string> titles;
  // What had arrived at the mark.
  std::size_t deliveries = 0, arrivals = 0, foreground = 0, escapes = 0,
              journal = 0;
  std::unique_ptr<SoundListener> platform9;
};

HeadUnit::HeadUnit(int sound_platform, const std::filesystem::path&)
    : state_(new State) {
  if (sound_platform == 9) {
    // Opened the way another process (vexa listen) opens them; the
    // simulation only looks and never waits on the event, so a listener
    // elsewhere still gets every signal.
    state_->platform9 = std::make_unique<SoundListener>();
    std::string ignored;
    if (!state_->platform9->Open(&ignored)) state_->platform9.reset();
  }
  Mark();
}

HeadUnit::~HeadUnit() = default;

const char* HeadUnit::SystemName() { return "host platform"; }

void HeadUnit::SetAddonLibrary(const std::u16string& file_name) {
  winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                            u"AddonDll", file_name);
}

// The simulated window system always makes the window.
HeadUnit::Window HeadUnit::MakeWindow(const std::string& title, bool visible,
                                      std::string* /*error*/) {
  std::u16string wide;
  Utf8ToUtf16(title, &wide);
  // A broadcast reaches each window with its own handle in the message.
  const winsim::Window window = winsim::CreateWindow(
      wide, visible, [](const winsim::Message& message) {
        g_arrivals.push_back({message.window, message.message});
        return std::intptr_t{1};
      });
  state_->titles[window] = title;
  return window;
}

std::string HeadUnit::Describe(Window window) const {
  char text[32];
  std::snprintf(text, sizeof text, "0x%" PRIxPTR, window);
  const auto it = state_->titles.find(window);
  return it == state_->titles.end()
             ? std::string(text)
             : std::string(text) + " \"" + it->second + "\"";
}

std::string HeadUnit::ZOrder() const {
  std::string order;
  for (winsim::Window window : winsim::ZOrder()) {
    if (!order.empty()) order += "; ";
    order += Describe(window) +
             (winsim::Visible(window) ? " visible" : " hidden");
  }
  return order;
}

std::string HeadUnit::ControlNote(int) const { return ""; }

void HeadUnit::Mark() {
  state_->deliveries = winsim::Deliveries().size();
  state_->arrivals = g_arrivals.size();
  state_->foreground = winsim::ForegroundRequests().size();
  state_->escapes = winsim::Escapes().size();
  state_->journal = winsim::Journal().size();
}

std::vector<std::string> HeadUnit::Received() {
  std::vector<std::string> lines;
  const auto deliveries = winsim::Deliveries();
  for (std::size_t i = state_->deliveries; i < deliveries.size(); ++i) {
    const auto& d = deliveries[i];
    std::string line = "head unit: message " + std::to_string(d.message) +
                       " (" + Hex(d.message) + ") wParam " +
                       std::to_string(d.wparam) + " lParam " +
                       std::to_string(d.lparam);
    if (d.target == winsim::kBroadcast) {
      line += " broadcast to all top-level windows";
    } else if (d.target == 0) {
      line += " sent to no window (none has the title)";
    } else {
      line += " sent to " + Describe(d.target);
    }
    lines.push_back(line);
  }
  std::string receivers;
  for (std::size_t i = state_->arrivals; i < g_arrivals.size(); ++i) {
    if (!receivers.empty()) receivers += ", ";
    receivers += Describe(g_arrivals[i].window) + " got " +
                 std::to_string(g_arrivals[i].message);
  }
  if (!receivers.empty()) lines.push_back("           received: " + receivers);
  const auto foreground = winsim::ForegroundRequests();
  for (std::size_t i = state_->foreground; i < foreground.size(); ++i) {
    lines.push_back("head unit: " + Describe(foreground[i]) +
                    " brought to the foreground");
  }
  const auto escapes = winsim::Escapes();
  for (std::size_t i = state_->escapes; i < escapes.size(); ++i) {
    const auto& e = escapes[i];
    lines.push_back("head unit: display escape " +
                    Hex(static_cast<std::uint32_t>(e.code)) +
                    " on the device context of " + Describe(e.window) +
                    " (input " + std::to_string(e.input_size) +
                    " bytes, output " + std::to_string(e.output_size) +
                    " bytes)");
  }
  const auto journal = winsim::Journal();
  for (std::size_t i = state_->journal; i < journal.size(); ++i) {
    lines.push_back("head unit: " + journal[i]);
  }
  Mark();
  return lines;
}

std::uint32_t HeadUnit::SharedWord() const {
  return state_->platform9 ? state_->platform9->Word() : 0;
}

long long HeadUnit::EventSignals() const {
  return state_->platform9
             ? static_cast<long long>(state_->platform9->SignalCount())
             : 0;
}

}  // namespace vexa::tool
