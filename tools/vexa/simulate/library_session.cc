// The library loaded at run time (see library_session.h).

#include "simulate/library_session.h"

#include "system/system.h"

namespace vexa::tool {
namespace {

// Casts an export's address to its function type.
template <typename Function>
bool Resolve(tool_interface::Library library, const char* name,
             Function* function, std::string* missing) {
  void* address = tool_interface::FindExport(library, name);
  if (address == nullptr) {
    *missing = name;
    return false;
  }
  *function = reinterpret_cast<Function>(address);
  return true;
}

}  // namespace

// The library stays loaded until the process ends, as in a navigation
// program, which loads it once: the sound variant of platform 9 keeps its
// event and mapping open for the life of the process and never closes
// them, so unloading earlier would only strand those handles.
LibrarySession::~LibrarySession() = default;

bool LibrarySession::Load(const std::string& path, std::string* error) {
  std::string reason;
  library_ = LoadToolLibrary(path, &reason);
  if (library_ == nullptr) {
    *error = "cannot load " + path + ": " + reason;
    return false;
  }
  std::string missing;
  VexaExports& e = exports_;
  const bool all =
      Resolve(library_, "CTL_Init", &e.ctl_init, &missing) &&
      Resolve(library_, "CTL_IsExist", &e.ctl_is_exist, &missing) &&
      Resolve(library_, "CTL_Switch_To_Control", &e.ctl_switch_to_control,
              &missing) &&
      Resolve(library_, "PTT_Get_DataPacket", &e.ptt_get_data_packet,
              &missing) &&
      Resolve(library_, "PTT_Init", &e.ptt_init, &missing) &&
      Resolve(library_, "PTT_Parse_Raw_Protocol", &e.ptt_parse_raw_protocol,
              &missing) &&
      Resolve(library_, "PTT_Set_Callback", &e.ptt_set_callback, &missing) &&
      Resolve(library_, "SND_Get_Volume", &e.snd_get_volume, &missing) &&
      Resolve(library_, "SND_Set_Volume", &e.snd_set_volume, &missing) &&
      Resolve(library_, "SND_Start_Play_Sound", &e.snd_start_play_sound,
              &missing) &&
      Resolve(library_, "SND_Stop_Play_Sound", &e.snd_stop_play_sound,
              &missing);
  if (!all) {
    *error = path + " has no export " + missing;
    return false;
  }
  return true;
}

}  // namespace vexa::tool
