// Process environment and temporary directories (see environment.h).
// SetEnvironment is the system's own: posix/system.cc, windows/system.cc.

#include "system/environment.h"

#include <chrono>
#include <cstdlib>
#include <random>
#include <stdexcept>

namespace vexa::tool {

std::string GetEnvironment(const std::string& name,
                           const std::string& fallback) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr ? value : fallback;
}

std::string UniqueToken() {
  static std::mt19937_64 generator{
      std::random_device{}() ^
      static_cast<std::uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count())};
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string token;
  for (int i = 0; i < 10; ++i) token.push_back(kDigits[generator() % 36]);
  return token;
}

TemporaryDirectory::TemporaryDirectory(const std::string& prefix) {
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / (prefix + UniqueToken());
    // create_directory reports false when the name exists already, so two
    // processes never share a directory.
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary directory in " +
                           base.string());
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vexa::tool
