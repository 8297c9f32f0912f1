// The debug log on Windows: the file "\VexaDbgLog.txt" in the data
// directory opened with the runtime's "w+c" mode, emptied by the first
// message of a process and written as formatted. "w+c" is a text mode, so
// the Windows runtime writes each line break as CR LF, as Windows text
// files have them.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "diag/dbg_log.h"
#include "support/scratch_folder.h"
#include "support/vexa_library.h"

namespace vexa::test {
namespace {

TEST(DbgLog, FirstMessageEmptiesTheFileAndMessagesFollowEachOther) {
  ScratchFolder folder(L"-\u65E5\u5FD7");  // 日志
  folder.Write(L"VexaDbgLog.txt", "left by an earlier load\n");
  SetEnv("VEXA_DATA_DIR", folder.ansi());

  DbgLog("%s=%d", "plan", 2);
  DbgLog("%% done\n");
  // msvcrt's formatter leaves a text that does not fit unterminated.
  DbgLog("%s", std::string(600, 'x').c_str());
  DbgLogClose();
  EXPECT_EQ(folder.Read(L"VexaDbgLog.txt"), "plan=2% done\r\n" + std::string(511, 'x'));
}

}  // namespace
}  // namespace vexa::test
