// Numbers on the host: strtod in a "C" locale object created once, so the
// result never depends on the locale the process has set and a call makes
// no heap allocation after the first. Only the decimal notation counts.
// Threading: any thread may read; the first reads may race to create the
// locale object, and one of them keeps it.

#include <locale.h>
#include <stdlib.h>

#include <atomic>

#include "platform/decimal_number.h"
#include "platform/host/host_internal.h"

namespace vexa::platform::host {

namespace {

// The "C" locale object, created at the first read and kept for the life of
// the process. A failed creation (only when memory runs out) is tried again
// at the next read.
std::atomic<locale_t> g_c_locale{locale_t{}};

locale_t CLocale() {
  locale_t kept = g_c_locale.load(std::memory_order_acquire);
  if (kept != locale_t{}) return kept;
  locale_t fresh = newlocale(LC_ALL_MASK, "C", locale_t{});
  if (fresh == locale_t{}) return fresh;
  if (!g_c_locale.compare_exchange_strong(kept, fresh)) {
    freelocale(fresh);  // another thread was first
    return kept;
  }
  return fresh;
}

// Frees the object when the library is unloaded (or the process exits), so
// that loading and unloading the library leaves nothing behind.
struct CLocaleCloser {
  ~CLocaleCloser() {
    locale_t kept = g_c_locale.exchange(locale_t{});
    if (kept != locale_t{}) freelocale(kept);
  }
} g_c_locale_closer;

}  // namespace

double HostReadDoubleC(const char* text) {
  if (text == nullptr) return 0.0;
  const locale_t c_locale = CLocale();
  char* end = nullptr;
  // Without a "C" locale object (memory ran out) the process locale is the
  // best that remains for this one read.
  double value = c_locale == locale_t{} ? strtod(text, &end)
                                        : strtod_l(text, &end, c_locale);
  return DecimalValue(text, value, end);
}

}  // namespace vexa::platform::host
