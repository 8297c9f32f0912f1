#include "examples.h"

#include <cstdlib>
#include <string>

#include "vexa/vexa.h"

namespace vexa::bench {

int SelectPlan(int plan) {
  setenv("VEXA_GUIDE_PLAN", std::to_string(plan).c_str(), 1);
  setenv("VEXA_GUIDE_FILE", "/nonexistent/vexa-bench/guide.dat", 1);
  return PTT_Init();
}

}  // namespace vexa::bench
