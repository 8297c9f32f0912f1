#include "sound/shared_buffer_sound.h"

#include <cstring>

#include "platform/platform.h"

namespace vexa {

namespace {

// One set per process, all null when the library is loaded. They live
// outside the variant object so that they outlast it.
platform::KernelObject g_event = nullptr;
platform::KernelObject g_mapping = nullptr;
void* g_view = nullptr;

}  // namespace

int SharedBufferSound::Init() {
  g_event = platform::CreateNamedEvent(kEventName, /*manual_reset=*/false,
                                       /*initially_signalled=*/false);
  if (g_event == nullptr) return 0;
  g_mapping = platform::CreateNamedMapping(kMappingName, kMappingSize);
  if (g_mapping == nullptr) {
    platform::CloseKernelObject(g_event);
    g_event = nullptr;
    return 0;
  }
  g_view = platform::MapWholeView(g_mapping);
  if (g_view == nullptr) {
    platform::CloseKernelObject(g_event);
    g_event = nullptr;
    return 0;
  }
  return 1;
}

int SharedBufferSound::Uninit() {
  if (g_event != nullptr) platform::CloseKernelObject(g_event);
  if (g_view != nullptr) platform::UnmapView(g_view);
  g_event = nullptr;
  g_mapping = nullptr;
  g_view = nullptr;
  return 1;
}

void SharedBufferSound::TEST_CloseAll() {
  if (g_event != nullptr) platform::CloseKernelObject(g_event);
  if (g_view != nullptr) platform::UnmapView(g_view);
  if (g_mapping != nullptr) platform::CloseKernelObject(g_mapping);
  g_event = nullptr;
  g_mapping = nullptr;
  g_view = nullptr;
}

int SharedBufferSound::StartPlaySound(const void* record) {
  if (g_view != nullptr && record != nullptr) {
    // The record belongs to the caller and need not be aligned: copy the
    // word out, never write back.
    std::uint32_t word;
    std::memcpy(&word, static_cast<const unsigned char*>(record) +
                           kRecordWordOffset, sizeof(word));
    word += 1;  // wraps modulo 2^32
    // The listener reads the word when the event wakes it, so the word
    // must be in place before the signal.
    std::memcpy(g_view, &word, sizeof(word));
    platform::SignalEvent(g_event);
  }
  platform::DeliverMessage(platform::kBroadcastWindow, kMessage, kStartWParam,
                           0);
  return 1;
}

int SharedBufferSound::StopPlaySound(std::uint32_t /*value*/) {
  platform::DeliverMessage(platform::kBroadcastWindow, kMessage, kStopWParam,
                           0);
  return 1;
}

int SharedBufferSound::SetVolume(std::uint32_t /*value*/) { return 1; }

int SharedBufferSound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
