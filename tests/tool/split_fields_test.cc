// The tool explains a failure by splitting the text itself; its splitter
// must cut exactly where the library's ParseText cuts, or it would point at
// the wrong field. A plan that records the fields it is handed shows what
// the library made of each text.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "destination/guide_plan.h"
#include "destination/failure_explain.h"

namespace vexa::tool {
namespace {

class RecordingPlan : public destination::GuidePlan {
 public:
  int ReadPacket(std::FILE*, DestinationPacket*) override { return 0; }
  int GetFilePath(OwnedText&) override { return 0; }
  int ParseFields(const char* const* fields, int count,
                  DestinationPacket*) override {
    seen.assign(fields, fields + count);
    return 0;
  }
  std::vector<std::string> seen;
};

std::vector<std::string> LibraryFields(const std::string& text) {
  RecordingPlan plan;
  std::string buffer = text;
  buffer.push_back('\0');
  DestinationPacket packet{};
  plan.ParseText(buffer.data(), static_cast<int>(text.size()), &packet);
  return plan.seen;
}

TEST(SplitFields, CutsWhereTheLibraryCuts) {
  const std::string texts[] = {
      "",
      "A",
      "A,B,C",
      "A,,B",
      ",A",
      "A,B,",
      std::string("A,B\0", 4),           // a NUL as the last counted byte
      std::string("A\0B,C", 5),          // a NUL inside a field ends it
      std::string("A,\0,B", 5),          // commas behind a NUL still split
      std::string(250, ',') + "X",       // at most 200 fields
      std::string(199, ',') + "X,Y",     // the 200th field is the last one
      "(TNC,116.397128,39.916527,Home,\xCD\xC6\xBC\xF6\n",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE("text of " + std::to_string(text.size()) + " bytes");
    EXPECT_EQ(SplitFields(text), LibraryFields(text));
  }
}

}  // namespace
}  // namespace vexa::tool
