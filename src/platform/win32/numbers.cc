// Numbers: strtod in the "C" locale whatever locale the process has set,
// through the runtime's _strtod_l with a "C" locale object created once and
// kept for the life of the process.

#include <locale.h>
#include <stdlib.h>

#include "platform/decimal_number.h"
#include "platform/platform.h"

namespace vexa::platform {

namespace {

_locale_t CLocale() {
  // Thread-safe first-use initialisation; never freed, as the number
  // reader may run until the very end of the process.
  static const _locale_t locale = _create_locale(LC_ALL, "C");
  return locale;
}

}  // namespace

double ReadDoubleC(const char* text) {
  if (text == nullptr) return 0.0;
  char* end = nullptr;
  double value = _strtod_l(text, &end, CLocale());
  // Runtimes differ on the C99 forms; only the decimal notation counts.
  return DecimalValue(text, value, end);
}

}  // namespace vexa::platform
