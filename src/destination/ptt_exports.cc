// The four exports of the destination hand-over: thin entries that obtain
// the service's single instance and forward to it. A service that cannot be
// allocated gives VEXA_E_NO_SERVICE. The library is built without
// exceptions, so none can leave an export.

#include "destination/destination_service.h"
#include "vexa/vexa.h"

using vexa::destination::DestinationService;

extern "C" {

VEXA_API int VEXA_CALL PTT_Init(void) {
  DestinationService* service = DestinationService::Instance();
  if (service == nullptr) return VEXA_E_NO_SERVICE;
  return service->Init();
}

VEXA_API int VEXA_CALL PTT_Set_Callback(DestinationCallback callback) {
  DestinationService* service = DestinationService::Instance();
  if (service == nullptr) return VEXA_E_NO_SERVICE;
  return service->SetCallback(callback);
}

VEXA_API int VEXA_CALL PTT_Get_DataPacket(DestinationPacket* buffer) {
  DestinationService* service = DestinationService::Instance();
  if (service == nullptr) return VEXA_E_NO_SERVICE;
  return service->GetDataPacket(buffer);
}

VEXA_API int VEXA_CALL PTT_Parse_Raw_Protocol(const uint16_t* text, int length) {
  DestinationService* service = DestinationService::Instance();
  if (service == nullptr) return VEXA_E_NO_SERVICE;
  return service->ParseRawProtocol(text, length);
}

}  // extern "C"
