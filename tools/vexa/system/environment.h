// The process environment that the stand-in peers read at every call
// (VEXA_GUIDE_PLAN, VEXA_DATA_DIR, VEXA_PLATFORM_CODE, ...) and private
// temporary directories for the files the tool hands to the library.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_ENVIRONMENT_H_
#define VEXA_TOOLS_VEXA_SYSTEM_ENVIRONMENT_H_

#include <filesystem>
#include <string>

namespace vexa::tool {

// Sets a variable of this process (overwriting it). The peers read it at
// their next call.
void SetEnvironment(const std::string& name, const std::string& value);

// The variable's value, or `fallback` when it is not set.
std::string GetEnvironment(const std::string& name,
                           const std::string& fallback = "");

// A new, empty directory below the system's temporary directory, removed
// with everything in it when the object goes.
class TemporaryDirectory {
 public:
  explicit TemporaryDirectory(const std::string& prefix);
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A name part that differs between processes and calls, for temporary
// files and kernel-object prefixes.
std::string UniqueToken();

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_ENVIRONMENT_H_
