// DestinationService: the module behind the PTT_ exports. It selects the
// configured plan at every Init, takes over a pending destination file
// (deleting it once it was read and parsed), parses raw UTF-16 messages,
// keeps the latest destination in `current_packet_` and notifies the
// caller's callback after each successful raw parse.
//
// The raw-message path and the copy-out use only fixed storage on the
// stack: no heap allocation. Init allocates the plan and the path string.
//
// Threading: no locks. Callers must not call into the service from several
// threads at the same time; the callback runs on the caller's thread.

#ifndef VEXA_SRC_DESTINATION_DESTINATION_SERVICE_H_
#define VEXA_SRC_DESTINATION_DESTINATION_SERVICE_H_

#include <cstdint>

#include "destination/destination_packet.h"
#include "destination/guide_plan.h"
#include "frame/owning_pointer.h"

namespace vexa::destination {

class DestinationService {
 public:
  static constexpr const char kName[] = "DestinationService";

  // The single instance, created on first use; null when it could not be
  // allocated.
  static DestinationService* Instance();

  DestinationService() noexcept = default;
  DestinationService(const DestinationService&) = delete;
  DestinationService& operator=(const DestinationService&) = delete;

  // Selects the configured plan (1 or 2), deleting the previous one, and
  // loads the plan's file into `current_packet_` if it parses. Never calls
  // the callback. 0, or VEXA_E_BAD_PLAN when the configured number is
  // neither 1 nor 2 (then nothing changes).
  int Init();

  // Stores the callback; null turns notification off. 0.
  int SetCallback(DestinationCallback callback);

  // Copies the current packet into `buffer`. 0, or VEXA_E_NULL_BUFFER.
  int GetDataPacket(DestinationPacket* buffer) const;

  // Converts the first length / 2 UTF-16 units to the system code page
  // (at most kMaxTextLength bytes, all or nothing) and parses them with the
  // plan. On success the packet replaces the current one and the callback
  // gets the current packet's address. 0, VEXA_E_NO_PLAN, VEXA_E_NO_TEXT
  // (no bytes converted; a null text or a negative length) or the plan's
  // code; on failure nothing changes.
  int ParseRawProtocol(const std::uint16_t* text, int length);

  // Asks `plan` for its file, opens it ("rb"), lets the plan read it into
  // `packet` and closes it; deletes it only when that returned 0. 0,
  // VEXA_E_NO_FILE (no path, or the file cannot be opened) or the plan's
  // ReadPacket code.
  static int LoadFromFile(GuidePlan& plan, DestinationPacket* packet);

  // For tests and diagnostics.
  const DestinationPacket& current_packet() const { return current_packet_; }
  GuidePlan* plan() const { return plan_.get(); }

 private:
  DestinationCallback callback_ = nullptr;
  DestinationPacket current_packet_{};
  OwningPointer<GuidePlan> plan_;
};

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_DESTINATION_SERVICE_H_
