// The destination texts the benchmarks and the instruction-count probe
// measure, as the navigation program hands them in (UTF-16):
//
// - the guide message with one via point (plan 1), 55 units;
// - a destination list of five named destinations (plan 2) whose code-page
//   form is 511 bytes, the longest text a raw message may convert to.
//
// Also the plan switch: the stand-in configuration reads the plan number at
// every PTT_Init, so a benchmark selects its plan by setting it and calling
// PTT_Init with no destination file in reach.

#ifndef VEXA_BENCH_EXAMPLES_H_
#define VEXA_BENCH_EXAMPLES_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexa::bench {

struct Example {
  const char* name;
  int plan;
  std::u16string text;  // UTF-16, as handed to PTT_Parse_Raw_Protocol

  const std::uint16_t* units() const {
    return reinterpret_cast<const std::uint16_t*>(text.data());
  }
  int length_bytes() const { return static_cast<int>(text.size() * 2); }
};

inline Example GuideMessageExample() {
  return {"guide_message", 1,
          u"(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000"};
}

inline Example DestinationList511Example() {
  struct Group {
    const char16_t* coordinates;
    const char16_t* name;
    std::size_t padding;  // letters behind the name, to reach 511 bytes
    char16_t letter;
    const char16_t* word;
  };
  static const Group kGroups[] = {
      {u",116.397128,39.916527,", u"家", 66, u'a', u",推荐"},
      {u",117.397128,38.916527,", u"Office", 66, u'b', u",最快"},
      {u",118.397128,37.916527,", u"北京天安门广场", 65, u'c', u",最短"},
      {u",119.397128,36.916527,", u"Station", 65, u'd', u",经济"},
      {u",120.397128,35.916527,", u"上海浦东国际机场", 65, u'e', u",推荐"},
  };
  std::u16string text = u"(TNC";
  for (const Group& group : kGroups) {
    text.append(group.coordinates);
    text.append(group.name);
    text.append(group.padding, group.letter);
    text.append(group.word);
  }
  return {"destination_list_511", 2, text};
}

// Points the configuration at `plan` and at a guide file that does not
// exist, then runs PTT_Init. The PTT_Init result.
// REQUIRES: VEXA_DATA_DIR names a directory without a dest.cld.
int SelectPlan(int plan);

}  // namespace vexa::bench

#endif  // VEXA_BENCH_EXAMPLES_H_
