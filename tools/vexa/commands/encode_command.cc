// vexa encode --plan 1|2 -o FILE ...: writes a valid guide message file or
// destination list. The bytes are built in memory and read by the library's
// own plan from a memory stream; only when that reading is what was meant
// are they put in place (safe_file.h), and the file in place is then read
// back from its real path the same way. A refusal or a failed check writes
// nothing, and an existing FILE stays as it was. "-o -" writes the bytes
// to standard output.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/output_options.h"
#include "formats/csv_import.h"
#include "destination/destination_encoder.h"
#include "destination/destination_reader.h"
#include "destination/failure_explain.h"
#include "formats/gpx_import.h"
#include "destination/packet_view.h"
#include "system/safe_file.h"
#include "destination/strict_check.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

struct EncodeOptions {
  int plan = 0;
  std::string output;
  std::vector<std::string> points;
  std::vector<std::string> names;
  std::vector<std::string> routes;
  std::string gpx;
  std::string csv;
  int gpx_route = 0;
  int gpx_track = 0;
  bool no_clobber = false;
  bool force = false;
  bool strict = false;
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
    throw UsageError("--point '" + ShownText(text) +
                     "' is not LAT,LON in decimal degrees");
  }
  if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude)) {
    throw UsageError("--point '" + ShownText(text) +
                     "' is not a finite coordinate");
  }
  return point;
}

std::vector<int> RoutesFor(const EncodeOptions& options,
                           const std::vector<EncodePoint>& points) {
  const std::size_t count = points.size();
  std::vector<int> modes;
  if (options.routes.empty()) {
    // Route preferences the GPX or CSV file gave, point by point.
    for (const EncodePoint& point : points) {
      modes.push_back(point.route >= 0 ? point.route : Recommended);
    }
    return modes;
  }
  for (const std::string& name : options.routes) {
    const int mode = RouteModeFromName(name);
    if (mode < 0) {
      throw UsageError("--route '" + ShownText(name) +
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

int Refuse(const std::string& why) {
  std::cerr << "vexa: encode refused: " << why << "; nothing was written\n";
  return kExitFailed;
}

// The points from --gpx, --csv or --point and --name.
void CollectPoints(const EncodeOptions& options, EncodeRequest* request,
                   std::vector<std::string>* notes, std::string* error) {
  const int sources = !options.gpx.empty() + !options.csv.empty() +
                      (!options.points.empty() || !options.names.empty());
  if (sources > 1) {
    throw UsageError("give points in one way: --gpx, --csv, or --point and "
                     "--name");
  }
  if ((options.gpx_route > 0 || options.gpx_track > 0) && options.gpx.empty()) {
    throw UsageError("--gpx-route and --gpx-track choose from a --gpx file");
  }
  if (options.gpx_route > 0 && options.gpx_track > 0) {
    throw UsageError("give --gpx-route or --gpx-track, not both");
  }
  if (!options.gpx.empty() || !options.csv.empty()) {
    const bool read =
        !options.gpx.empty()
            ? ImportGpx(options.gpx, {options.gpx_route, options.gpx_track},
                        &request->points, notes, error)
            : ImportCsv(options.csv, &request->points, error);
    if (!read) return;
    if (options.plan == 1) {
      bool named = false;
      for (EncodePoint& point : request->points) {
        named = named || !point.name.empty();
        point.name.clear();
      }
      if (named) {
        notes->push_back("a guide message carries no names; the names of "
                         "the file are left out");
      }
    }
    return;
  }
  for (std::size_t i = 0; i < options.points.size(); ++i) {
    request->points.push_back(PointFromOption(options.points[i], i));
  }
  // A name belongs to the --point at its place: with fewer names than
  // points nobody can tell which point a name was meant for.
  if (!options.names.empty() && options.names.size() != options.points.size()) {
    const auto count = [](std::size_t n, const char* what) {
      return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    throw UsageError(count(options.names.size(), "--name option") + " for " +
                     count(options.points.size(), "--point option") +
                     ": give one --name per --point, or none");
  }
  if (options.plan == 1 && !options.names.empty()) {
    throw UsageError("a guide message (plan 1) carries no names");
  }
  for (std::size_t i = 0; i < options.names.size(); ++i) {
    request->points[i].name = options.names[i];
  }
}

std::string Summary(const EncodeRequest& request, const EncodedFile& file) {
  return KindName(request.plan == 1 ? GuideMessage : DestinationList) +
         " (plan " + std::to_string(request.plan) + "), " +
         std::to_string(request.points.size()) +
         (request.points.size() == 1 ? " point, " : " points, ") +
         std::to_string(file.bytes.size()) + " bytes";
}

int RunEncode(const EncodeOptions& options) {
  EncodeRequest request;
  request.plan = options.plan;
  std::vector<std::string> notes;
  std::string error;
  CollectPoints(options, &request, &notes, &error);
  for (const std::string& note : notes) {
    std::cerr << "vexa: note: " << note << '\n';
  }
  if (!error.empty()) {
    std::cerr << "vexa: " << error << '\n';
    return kExitFailed;
  }
  request.routes = RoutesFor(options, request.points);

  EncodedFile file;
  if (!BuildDestinationFile(request, &file, &error)) return Refuse(error);
  for (const std::string& note : file.notes) {
    std::cerr << "vexa: note: " << note << '\n';
  }
  // What the library would accept but drop or bend. A cut name is one of
  // those too: the head unit shows less than was given.
  std::string text;
  TextOfFile(request.plan, file.bytes, &text);
  std::vector<std::string> warnings = StrictWarnings(request.plan, text);
  for (const std::string& warning : warnings) {
    std::cerr << "vexa: warning: " << warning << '\n';
  }
  if (options.strict && (!warnings.empty() || !file.notes.empty())) {
    return Refuse("--strict and the file would not say exactly what was "
                  "given (see above)");
  }

  // The library reads the bytes before anything reaches FILE.
  DestinationPacket packet{};
  int result = ReadBytesWithPlan(file.bytes, request.plan, &packet);
  if (!CheckDecoded(request, file, result, packet, &error)) {
    return Refuse(error);
  }

  if (options.output == "-") {
    std::cout.write(file.bytes.data(),
                    static_cast<std::streamsize>(file.bytes.size()));
    // The reason of a failed write is reported on the way out.
    if (!std::cout.flush()) return kExitFailed;
    std::cerr << "vexa: wrote standard output: " << Summary(request, file)
              << "; the library reads it as meant\n";
    return kExitOk;
  }
  std::string placed;
  if (!WriteFileSafely(options.output, file.bytes,
                       WriteMode{options.no_clobber, options.force}, &placed,
                       &error)) {
    std::cerr << "vexa: " << error << "; nothing was written\n";
    return kExitFailed;
  }
  // Read back the file that is in place, from its real path.
  packet = DestinationPacket{};
  result = ReadFileWithPlan(placed, request.plan, &packet);
  if (!CheckDecoded(request, file, result, packet, &error)) {
    std::cerr << "vexa: " << ShownPath(options.output)
              << " was written, but reading it back from the disk fails: "
              << error << '\n';
    return kExitFailed;
  }
  std::string native;
  if (!Utf8ToCodePage(std::filesystem::u8path(placed).filename().u8string(),
                      &native)) {
    std::cerr << "vexa: note: the file name cannot be written in code page "
              << DestinationCodePage()
              << ", so a head unit could not open the file by that name\n";
  }
  std::cout << "wrote " << ShownPath(options.output) << ": "
            << Summary(request, file)
            << "; the library reads it back as meant\n";
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
  command
      ->add_option("-o,--output", options->output,
                   "The file to write, - for standard output. Only a "
                   "regular file is replaced (atomically, keeping its mode); "
                   "a link is followed and stays a link")
      ->required()
      ->type_name("FILE")
      ->check(CLI::Validator(
          [](std::string& text) {
            return text.empty() ? std::string("the file name is empty")
                                : std::string();
          },
          "", "NONEMPTY"));
  command->add_flag("--no-clobber", options->no_clobber,
                    "Refuse to replace an existing file");
  command->add_flag("--force", options->force,
                    "Replace a file you may not write (read-only), keeping "
                    "its mode");
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
                   "Take the points from a GPX file (- for standard input): "
                   "the route points of its first route, else its "
                   "waypoints; a <type> naming a route preference is used")
      ->type_name("FILE");
  command
      ->add_option("--gpx-route", options->gpx_route,
                   "Use this route (1 is the first) of the GPX file")
      ->type_name("N")
      ->check(CLI::Range(1, 1000000).description(""));
  command
      ->add_option("--gpx-track", options->gpx_track,
                   "Use the end point of this track (1 is the first) of the "
                   "GPX file as the destination")
      ->type_name("N")
      ->check(CLI::Range(1, 1000000).description(""));
  command
      ->add_option("--csv", options->csv,
                   "Take the points from a CSV file (- for standard input) "
                   "with the header latitude,longitude,name,route")
      ->type_name("FILE");
  AddCodePageOption(command);
  command->add_flag("--strict", options->strict,
                    "Refuse when the file would not say exactly what was "
                    "given (a name cut, say)");
  command->footer(
      "Exit status: 0 written and read back as meant, 1 refused or not "
      "written (the target unchanged), 2 usage error.");
  command->callback([options, exit_code] { *exit_code = RunEncode(*options); });
}

}  // namespace vexa::tool
