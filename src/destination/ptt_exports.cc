// The four exports of the destination hand-over: thin entries that obtain
// the service's single instance and forward to it. No exception leaves an
// export; a service that cannot be allocated gives VEXA_E_NO_SERVICE.

#include "destination/destination_service.h"
#include "vexa/vexa.h"

using vexa::destination::DestinationService;

extern "C" {

VEXA_API int PTT_Init(void) {
  try {
    DestinationService* service = DestinationService::Instance();
    if (service == nullptr) return VEXA_E_NO_SERVICE;
    return service->Init();
  } catch (...) {
    return VEXA_E_NO_SERVICE;
  }
}

VEXA_API int PTT_Set_Callback(DestinationCallback callback) {
  try {
    DestinationService* service = DestinationService::Instance();
    if (service == nullptr) return VEXA_E_NO_SERVICE;
    return service->SetCallback(callback);
  } catch (...) {
    return VEXA_E_NO_SERVICE;
  }
}

VEXA_API int PTT_Get_DataPacket(DestinationPacket* buffer) {
  try {
    DestinationService* service = DestinationService::Instance();
    if (service == nullptr) return VEXA_E_NO_SERVICE;
    return service->GetDataPacket(buffer);
  } catch (...) {
    return VEXA_E_NO_SERVICE;
  }
}

VEXA_API int PTT_Parse_Raw_Protocol(const uint16_t* text, int length) {
  try {
    DestinationService* service = DestinationService::Instance();
    if (service == nullptr) return VEXA_E_NO_SERVICE;
    return service->ParseRawProtocol(text, length);
  } catch (...) {
    return VEXA_E_NO_SERVICE;
  }
}

}  // extern "C"
