// Numbers on the host: strtod in a "C" locale object created once, so the
// result never depends on the locale the process has set and a call makes
// no heap allocation after the first.

#include <locale.h>
#include <stdlib.h>

#include "platform/host/host_internal.h"

namespace vexa::platform::host {

double HostReadDoubleC(const char* text) {
  if (text == nullptr) return 0.0;
  // Never freed: it lives as long as the process.
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  if (c_locale == locale_t{}) {
    // Only when memory ran out at the first call; the process locale is the
    // best that remains.
    return strtod(text, nullptr);
  }
  return strtod_l(text, nullptr, c_locale);
}

}  // namespace vexa::platform::host
