// Where each plan's destination file lies, from the navigation
// configuration. Apart from the plans' reading and parsing, so that a build
// without files or configuration (the web module) can take the plans
// without these: it links no_plan_files.cc instead.

#include <cstddef>

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"
#include "frame/config.h"

namespace vexa::destination {

namespace {

// The data-directory query gets this buffer; it writes at most 256 bytes.
constexpr std::size_t kDirectoryBufferSize = 260;
static_assert(kDirectoryBufferSize >= config::kDataDirectoryMax);

}  // namespace

int MessageFilePlan::GetFilePath(OwnedText& path) {
  return path.Assign(config::GuideFilePath()) ? 0 : -1;
}

int DestinationListPlan::GetFilePath(OwnedText& path) {
  // Zero-filled, so the text stays terminated inside the buffer even if the
  // query broke its promise to terminate it.
  char directory[kDirectoryBufferSize] = {};
  config::QueryDataDirectory(directory);
  directory[kDirectoryBufferSize - 1] = '\0';
  return path.Assign(directory, "\\dest.cld") ? 0 : -1;
}

}  // namespace vexa::destination
