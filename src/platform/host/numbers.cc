// Numbers on the host: strtod in a "C" locale object created once, so the
// result never depends on the locale the process has set and a call makes
// no heap allocation after the first. Only the decimal notation counts.

#include <locale.h>
#include <stdlib.h>

#include "platform/decimal_number.h"
#include "platform/host/host_internal.h"

namespace vexa::platform::host {

double HostReadDoubleC(const char* text) {
  if (text == nullptr) return 0.0;
  // Never freed: it lives as long as the process.
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  char* end = nullptr;
  // Only when memory ran out at the first call is there no "C" locale
  // object; the process locale is the best that remains then.
  double value = c_locale == locale_t{} ? strtod(text, &end)
                                        : strtod_l(text, &end, c_locale);
  return DecimalValue(text, value, end);
}

}  // namespace vexa::platform::host
