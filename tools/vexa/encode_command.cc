// vexa encode --plan 1|2 -o FILE ...: writes a valid guide message file or
// destination list. The bytes are built in memory, written to a private
// temporary file, read back by the library's own plan and compared with
// what was meant; only then are they put in place. A refusal or a failed
// check writes nothing, and an existing FILE stays as it was.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "destination_encoder.h"
#include "destination_reader.h"
#include "environment.h"
#include "gpx_import.h"
#include "packet_view.h"

namespace vexa::tool {
namespace {

struct EncodeOptions {
  int plan = 0;
  std::string output;
  std::vector<std::string> points;
  std::vector<std::string> names;
  std::vector<std::string> routes;
  std::string gpx;
};

bool ReadNumber(std::string_view text, double* value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto result =
      std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && result.ec == std::errc() &&
         result.ptr == text.data() + text.size();
}

// "LAT,LON" in decimal degrees.
EncodePoint PointFromOption(const std::string& text, std::size_t index) {
  EncodePoint point;
  point.origin = "point " + std::to_string(index + 1);
  const auto comma = text.find(',');
  if (comma == std::string::npos ||
      !ReadNumber(std::string_view(text).substr(0, comma), &point.latitude) ||
      !ReadNumber(std::string_view(text).substr(comma + 1), &point.longitude)) {
    throw UsageError("--point '" + text +
                     "' is not LAT,LON in decimal degrees");
  }
  return point;
}

std::vector<int> RoutesFor(const EncodeOptions& options, std::size_t count) {
  std::vector<int> modes;
  for (const std::string& name : options.routes) {
    const int mode = RouteModeFromName(name);
    if (mode < 0) {
      throw UsageError("--route '" + name +
                       "' is not recommended, fastest, shortest or "
                       "economical");
    }
    modes.push_back(mode);
  }
  if (modes.empty()) modes.push_back(Recommended);
  if (modes.size() == 1) return std::vector<int>(count, modes.front());
  if (modes.size() != count) {
    throw UsageError("give one --route for all points or one per point (" +
                     std::to_string(count) + " points, " +
                     std::to_string(modes.size()) + " routes)");
  }
  return modes;
}

bool WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

int Refuse(const std::string& why) {
  std::cerr << "vexa: encode refused: " << why << "; nothing was written\n";
  return kExitFailed;
}

int RunEncode(const EncodeOptions& options) {
  EncodeRequest request;
  request.plan = options.plan;
  if (!options.gpx.empty()) {
    if (!options.points.empty() || !options.names.empty()) {
      throw UsageError("give points either with --gpx or with --point and "
                       "--name, not both");
    }
    std::string error;
    if (!ImportGpx(options.gpx, &request.points, &error)) {
      std::cerr << "vexa: " << error << '\n';
      return kExitFailed;
    }
    if (options.plan == 1) {
      bool named = false;
      for (EncodePoint& point : request.points) {
        named = named || !point.name.empty();
        point.name.clear();
      }
      if (named) {
        std::cerr << "vexa: note: a guide message carries no names; the "
                     "GPX names are left out\n";
      }
    }
  } else {
    for (std::size_t i = 0; i < options.points.size(); ++i) {
      request.points.push_back(PointFromOption(options.points[i], i));
    }
    if (options.names.size() > options.points.size()) {
      throw UsageError(std::to_string(options.names.size()) + " names for " +
                       std::to_string(options.points.size()) + " points");
    }
    if (options.plan == 1 && !options.names.empty()) {
      throw UsageError("a guide message (plan 1) carries no names");
    }
    for (std::size_t i = 0; i < options.names.size(); ++i) {
      request.points[i].name = options.names[i];
    }
  }
  request.routes = RoutesFor(options, request.points.size());

  EncodedFile file;
  std::string error;
  if (!BuildDestinationFile(request, &file, &error)) return Refuse(error);
  for (const std::string& note : file.notes) {
    std::cerr << "vexa: note: " << note << '\n';
  }

  // Read the bytes back with the library before anything reaches FILE.
  {
    TemporaryDirectory check("vexa-encode-");
    const auto probe = check.path() / "check.bin";
    if (!WriteBytes(probe, file.bytes)) {
      std::cerr << "vexa: cannot write a temporary file in "
                << check.path().string() << '\n';
      return kExitFailed;
    }
    DestinationPacket packet{};
    const int result = ReadFileWithPlan(probe.string(), request.plan, &packet);
    if (!CheckDecoded(request, file, result, packet, &error)) {
      return Refuse(error);
    }
  }

  // Put the file in place in one step, so a reader never sees half of it.
  const std::filesystem::path target(options.output);
  std::filesystem::path staging = target;
  staging += ".vexa-" + UniqueToken() + ".tmp";
  std::error_code failure;
  if (!WriteBytes(staging, file.bytes)) {
    std::filesystem::remove(staging, failure);
    std::cerr << "vexa: cannot write " << options.output << '\n';
    return kExitFailed;
  }
  std::filesystem::rename(staging, target, failure);
  if (failure) {
    std::filesystem::remove(staging, failure);
    std::cerr << "vexa: cannot write " << options.output << '\n';
    return kExitFailed;
  }
  std::cout << "wrote " << options.output << ": "
            << KindName(request.plan == 1 ? GuideMessage : DestinationList)
            << " (plan " << request.plan << "), " << request.points.size()
            << (request.points.size() == 1 ? " point, " : " points, ")
            << file.bytes.size() << " bytes; the library reads it back as "
            << "meant\n";
  return kExitOk;
}

}  // namespace

void AddEncodeCommand(CLI::App& app, int* exit_code) {
  auto options = std::make_shared<EncodeOptions>();
  CLI::App* command = app.add_subcommand(
      "encode",
      "Write a valid guide message file (plan 1) or destination list (plan "
      "2), checked by reading it back with the library.");
  command
      ->add_option("--plan", options->plan,
                   "1: guide message (up to two via points and the "
                   "destination, no names), 2: destination list (up to five "
                   "named destinations)")
      ->required()
      ->check(CLI::IsMember({1, 2}));
  command->add_option("-o,--output", options->output, "The file to write")
      ->required()
      ->type_name("FILE");
  command
      ->add_option("--point", options->points,
                   "A point as LAT,LON in decimal degrees; repeat in travel "
                   "order (plan 1: the last one is the destination)")
      ->type_name("LAT,LON")
      ->allow_extra_args(false);
  command
      ->add_option("--name", options->names,
                   "The name of the next point (plan 2, UTF-8; stored in the "
                   "code page, cut at 99 bytes on a character boundary)")
      ->type_name("TEXT")
      ->allow_extra_args(false);
  command
      ->add_option("--route", options->routes,
                   "Route preference: recommended (default), fastest, "
                   "shortest or economical; once for all points or once per "
                   "point")
      ->type_name("NAME")
      ->allow_extra_args(false);
  command
      ->add_option("--gpx", options->gpx,
                   "Take the points from a GPX file: the route points of its "
                   "first route, else its waypoints")
      ->type_name("FILE");
  command->footer(
      "Exit status: 0 written and read back as meant, 1 refused (nothing "
      "written), 2 usage error.");
  command->callback([options, exit_code] { *exit_code = RunEncode(*options); });
}

}  // namespace vexa::tool
