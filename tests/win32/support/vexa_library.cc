#include "support/vexa_library.h"

#include <cstdlib>
#include <cstring>

#include "support/child_process.h"

namespace vexa::test {

namespace {

template <class Function>
void Resolve(HMODULE module, const char* name, Function* out) {
  *out = reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The import address table's slot: a ULONGLONG in PE32+, a DWORD in PE32.
using Slot = decltype(IMAGE_THUNK_DATA{}.u1.Function);

// Writes one pointer-sized slot of the import address table.
void WriteSlot(Slot* slot, Slot value) {
  DWORD old = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, old, &old);
}

}  // namespace

void SetEnv(const char* name, const std::string& value) {
  const std::string assignment = std::string(name) + "=" + value;
  _putenv(assignment.c_str());
}

VexaLibrary::VexaLibrary() {
  module_ = LoadLibraryW((ProgramFolder() + L"Vexa.dll").c_str());
  if (module_ == nullptr) return;
  Resolve(module_, "CTL_Init", &CTL_Init);
  Resolve(module_, "CTL_IsExist", &CTL_IsExist);
  Resolve(module_, "CTL_Switch_To_Control", &CTL_Switch_To_Control);
  Resolve(module_, "PTT_Get_DataPacket", &PTT_Get_DataPacket);
  Resolve(module_, "PTT_Init", &PTT_Init);
  Resolve(module_, "PTT_Parse_Raw_Protocol", &PTT_Parse_Raw_Protocol);
  Resolve(module_, "PTT_Set_Callback", &PTT_Set_Callback);
  Resolve(module_, "SND_Get_Volume", &SND_Get_Volume);
  Resolve(module_, "SND_Set_Volume", &SND_Set_Volume);
  Resolve(module_, "SND_Start_Play_Sound", &SND_Start_Play_Sound);
  Resolve(module_, "SND_Stop_Play_Sound", &SND_Stop_Play_Sound);
}

VexaLibrary::~VexaLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

void* VexaLibrary::ReplaceImport(const char* dll, const char* function,
                                 void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module_);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* descriptor =
           reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       descriptor->Name != 0; ++descriptor) {
    if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0) {
      continue;
    }
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + descriptor->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(
          base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) {
        continue;
      }
      void* original = reinterpret_cast<void*>(slots->u1.Function);
      WriteSlot(&slots->u1.Function, reinterpret_cast<Slot>(replacement));
      return original;
    }
  }
  return nullptr;
}

}  // namespace vexa::test
