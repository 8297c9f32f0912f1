// Dynamic libraries on the host: loading by a Windows-style file name found
// on the library search path, exports, and the failures the sound variants
// must survive.

#include <limits.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace vexa::platform {
namespace {

using Answer = int (*)();

TEST(Libraries, LoadsByFileNameAndFindsExports) {
  Library library = LoadLibraryByName(u"PlatformPeer.dll");
  ASSERT_NE(library, nullptr);
  auto answer = reinterpret_cast<Answer>(FindExport(library, "PlatformPeerAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(FindExport(library, "NavSoundNotify"), nullptr);
  EXPECT_EQ(FindExport(library, nullptr), nullptr);
  UnloadLibrary(library);
}

TEST(Libraries, LoadsByWindowsStylePath) {
  // The peer sits next to the winsim library, in the build's lib folder.
  std::string path = VEXA_TEST_LIBRARY_DIR "/PlatformPeer.dll";
  std::u16string wide(path.begin(), path.end());
  for (char16_t& unit : wide) {
    if (unit == u'/') unit = u'\\';
  }
  Library library = LoadLibraryByName(wide.c_str());
  ASSERT_NE(library, nullptr);
  EXPECT_NE(FindExport(library, "PlatformPeerAnswer"), nullptr);
  UnloadLibrary(library);
}

TEST(Libraries, MissingLibraryGivesNull) {
  EXPECT_EQ(LoadLibraryByName(u"NoSuchLibrary.dll"), nullptr);
  EXPECT_EQ(LoadLibraryByName(u""), nullptr);
}

}  // namespace
}  // namespace vexa::platform
