// vexa encode --plan 1|2 -o FILE ...: writes a valid guide message file or
// destination list. The bytes are built in memory and read by the library's
// own plan from a memory stream; only when that reading is what was meant
// are they put in place (safe_file.h), and the file in place is then read
// back from its real path the same way. A refusal or a failed check writes
// nothing, and an existing FILE stays as it was. "-o -" writes the bytes
// to standard output. Points come from the options or from one interchange
// file (formats/interchange_reader.h); what does not fit a file is refused
// unless the user chose how to adapt it (--first, --split,
// --replace-unmappable). With --split every file is built and checked
// before the first is written.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/output_options.h"
#include "destination/destination_encoder.h"
#include "destination/destination_reader.h"
#include "destination/failure_explain.h"
#include "destination/name_fitting.h"
#include "destination/packet_view.h"
#include "destination/strict_check.h"
#include "formats/interchange_reader.h"
#include "system/input_file.h"
#include "system/safe_file.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

struct EncodeOptions {
  int plan = 0;
  std::string output;
  std::vector<std::string> points;
  std::vector<std::string> names;
  std::vector<std::string> routes;
  std::string input;  // any interchange format, told by its content
  std::string gpx;
  std::string csv;
  std::string kml;
  std::string geojson;
  int gpx_route = 0;
  int gpx_track = 0;
  bool gpx_waypoints = false;
  std::string input_encoding;  // empty: told by the bytes
  int first = 0;      // 0: every point
  int last = 0;       // 0: every point
  int spread = 0;     // 0: every point
  std::string split;  // a file name with {n}, for files of at most a plan's
  int max_files = 0;  // --split writes at most this many (0: kMaxSplitFiles)
  std::string replace_unmappable;  // empty, question-mark or transliterate
  bool no_clobber = false;
  bool force = false;
  bool strict = false;
};

// The most files --split writes unless --max-files allows more: beyond it,
// a track was most likely split by mistake.
constexpr int kMaxSplitFiles = 20;

// The largest interchange file read; far beyond any list of destinations.
constexpr std::size_t kMaxInterchangeBytes = 64 << 20;

struct InputSource {
  std::string path;
  InputFormat format;
};

// The interchange files the options name, with the format each names. The
// one place that knows every input option.
std::vector<InputSource> InputSources(const EncodeOptions& options) {
  std::vector<InputSource> sources;
  const std::pair<const std::string*, InputFormat> kOptions[] = {
      {&options.input, InputFormat::kAuto},
      {&options.gpx, InputFormat::kGpx},
      {&options.csv, InputFormat::kCsv},
      {&options.kml, InputFormat::kKml},
      {&options.geojson, InputFormat::kGeoJson}};
  for (const auto& [path, format] : kOptions) {
    if (!path->empty()) sources.push_back({*path, format});
  }
  return sources;
}

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
    // Route preferences the input file gave, point by point.
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

// The points from an interchange file or from --point and --name.
void CollectPoints(const EncodeOptions& options, EncodeRequest* request,
                   std::vector<std::string>* notes, std::string* error) {
  const std::vector<InputSource> files = InputSources(options);
  const std::size_t sources =
      files.size() + (!options.points.empty() || !options.names.empty());
  if (sources > 1) {
    throw UsageError("give points in one way: --input, --gpx, --csv, --kml, "
                     "--geojson, or --point and --name");
  }
  const int gpx_choices = (options.gpx_route > 0) + (options.gpx_track > 0) +
                          options.gpx_waypoints;
  if (gpx_choices > 0 &&
      (files.empty() || (files[0].format != InputFormat::kGpx &&
                         files[0].format != InputFormat::kAuto))) {
    throw UsageError("--gpx-route, --gpx-track and --gpx-waypoints choose "
                     "from a GPX file (--gpx or --input)");
  }
  if (gpx_choices > 1) {
    throw UsageError("give one of --gpx-route, --gpx-track and "
                     "--gpx-waypoints");
  }
  if (!options.input_encoding.empty() && files.empty()) {
    throw UsageError("--input-encoding names the encoding of an input file "
                     "(--input, --gpx, --csv, --kml, --geojson)");
  }
  if (!files.empty()) {
    std::string bytes;
    if (!ReadWholeFile(files[0].path, kMaxInterchangeBytes, &bytes, error)) {
      return;
    }
    ImportChoice choice;
    choice.format = files[0].format;
    choice.plan = options.plan;
    choice.gpx = {options.gpx_route, options.gpx_track, options.gpx_waypoints};
    if (!options.input_encoding.empty() &&
        (!InputEncodingFromName(options.input_encoding, &choice.encoding) ||
         (choice.encoding.kind == InputEncoding::Kind::kCodePage &&
          !ConvertsCodePage(choice.encoding.code_page)))) {
      throw UsageError("--input-encoding '" +
                       ShownText(options.input_encoding) +
                       "' is not UTF-8, UTF-16, ISO-8859-1 or a code page "
                       "this system converts (874, 936, 1250 to 1258)");
    }
    choice.encoding.refuse_guess = options.strict;
    if (!ReadInterchange(bytes, InputName(files[0].path), choice,
                         &request->points, notes, error)) {
      if (error->empty()) *error = "cannot read " + InputName(files[0].path);
      return;
    }
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

// Which of the points --spread keeps: `keep` of `count`, the first and
// the last among them, the others as evenly spaced as whole steps allow.
// REQUIRES: 0 < keep < count.
std::vector<std::size_t> SpreadIndexes(std::size_t count, std::size_t keep) {
  if (keep == 1) return {count - 1};
  std::vector<std::size_t> indexes;
  for (std::size_t i = 0; i < keep; ++i) {
    indexes.push_back((i * (count - 1) + (keep - 1) / 2) / (keep - 1));
  }
  return indexes;
}

// What the user chose to adapt (--first, --last, --spread and
// --replace-unmappable), and line breaks in names, always folded.
void FitPoints(const EncodeOptions& options, EncodeRequest* request,
               std::vector<std::string>* notes,
               std::vector<std::string>* warnings) {
  auto& points = request->points;
  const std::size_t count = points.size();
  if (options.first > 0 && count > static_cast<std::size_t>(options.first)) {
    notes->push_back("took the first " + std::to_string(options.first) +
                     " of " + std::to_string(count) + " points (--first)");
    points.resize(static_cast<std::size_t>(options.first));
    // A guide message's destination is its last point: this is no longer
    // the one the route led to.
    if (request->plan == 1) {
      warnings->push_back(
          "--first left out the route's last point, so the guide message "
          "leads to " + points.back().origin + " instead (--last or "
          "--spread keep the destination)");
    }
  }
  if (options.last > 0 && count > static_cast<std::size_t>(options.last)) {
    notes->push_back("took the last " + std::to_string(options.last) +
                     " of " + std::to_string(count) + " points (--last)");
    points.erase(points.begin(),
                 points.end() - static_cast<std::ptrdiff_t>(options.last));
  }
  if (options.spread > 0 && count > static_cast<std::size_t>(options.spread)) {
    std::vector<EncodePoint> kept;
    std::string which;
    for (std::size_t i : SpreadIndexes(count, static_cast<std::size_t>(options.spread))) {
      kept.push_back(points[i]);
      which += (which.empty() ? "" : ", ") + std::to_string(i + 1);
    }
    notes->push_back("took " + std::to_string(options.spread) + " of " +
                     std::to_string(count) +
                     " points spread evenly, the first and the last "
                     "included (--spread): points " + which);
    points = std::move(kept);
  }
  for (EncodePoint& point : points) {
    std::string warning = FoldNameWithWarning(point.origin, &point.name);
    if (!warning.empty()) warnings->push_back(std::move(warning));
  }
  if (options.replace_unmappable.empty()) return;
  for (EncodePoint& point : points) {
    std::string fitted;
    const std::string what =
        FitName(point.name, &fitted,
                options.replace_unmappable == "transliterate");
    if (what.empty()) continue;
    warnings->push_back(point.origin + ": the name '" + ShownText(point.name) +
                        "' is written as '" + ShownText(fitted) + "' (" +
                        what + ")");
    point.name = fitted;
  }
}

// One file to write: its target and its part of the points.
struct PlannedFile {
  std::string target;
  EncodeRequest request;
  EncodedFile file;
};

// PATTERN's {n} replaced by `number`.
std::string SplitTarget(std::string pattern, std::size_t number) {
  const std::string text = std::to_string(number);
  for (std::size_t at = pattern.find("{n}"); at != std::string::npos;
       at = pattern.find("{n}", at + text.size())) {
    pattern.replace(at, 3, text);
  }
  return pattern;
}

// The files of PATTERN numbered from `next` on that exist, up to the first
// missing number: what an earlier split into more files left behind.
std::vector<std::string> LeftBehind(const std::string& pattern,
                                    std::size_t next) {
  std::vector<std::string> found;
  for (std::size_t n = next; found.size() < 1000; ++n) {
    const std::string name = SplitTarget(pattern, n);
    std::error_code ignored;
    if (!std::filesystem::exists(
            std::filesystem::symlink_status(std::filesystem::u8path(name),
                                            ignored))) {
      break;
    }
    found.push_back(name);
  }
  return found;
}

// The files to write: one, or with --split as many as the points need,
// PATTERN's {n} numbered from 1.
std::vector<PlannedFile> PlanFiles(const EncodeOptions& options,
                                   const EncodeRequest& request) {
  if (options.split.empty()) return {{options.output, request, {}}};
  const std::size_t most = static_cast<std::size_t>(MaxPoints(request.plan));
  std::vector<PlannedFile> files;
  for (std::size_t start = 0; start < request.points.size(); start += most) {
    PlannedFile planned;
    planned.target = SplitTarget(options.split, files.size() + 1);
    planned.request.plan = request.plan;
    const std::size_t end = std::min(start + most, request.points.size());
    planned.request.points.assign(request.points.begin() + start,
                                  request.points.begin() + end);
    planned.request.routes.assign(request.routes.begin() + start,
                                  request.routes.begin() + end);
    files.push_back(planned);
  }
  if (files.empty()) files.push_back({options.split, request, {}});
  return files;
}

std::string Summary(const EncodeRequest& request, const EncodedFile& file) {
  return KindName(request.plan == 1 ? GuideMessage : DestinationList) +
         " (plan " + std::to_string(request.plan) + "), " +
         std::to_string(request.points.size()) +
         (request.points.size() == 1 ? " point, " : " points, ") +
         std::to_string(file.bytes.size()) + " bytes";
}

// Builds `planned`'s file and checks it in memory: the refusals, notes and
// warnings of one file. `fitted` are the warnings of the names adapted,
// which --strict counts too.
bool PrepareFile(const EncodeOptions& options, PlannedFile* planned,
                 bool fitted, std::string* error) {
  const EncodeRequest& request = planned->request;
  EncodedFile& file = planned->file;
  const std::string prefix =
      options.split.empty() ? "" : ShownPath(planned->target) + ": ";
  if (!BuildDestinationFile(request, &file, error)) {
    const int most = MaxPoints(request.plan);
    const std::string n = std::to_string(most);
    if (request.points.size() > static_cast<std::size_t>(most) &&
        request.plan == 1) {
      // The last point is where the car goes: every way out keeps it.
      *error += "; the destination is the route's last point, so keep the "
                "start, evenly spaced via points and the end with --spread " +
                n + ", or the last " + n + " points with --last " + n;
    } else if (request.points.size() > static_cast<std::size_t>(most)) {
      *error += "; take the first " + n + " with --first " + n +
                ", or write files of at most " + n +
                " with --split 'NAME-{n}.cld'";
    }
    *error = prefix + *error;
    return false;
  }
  for (const std::string& note : file.notes) {
    std::cerr << "vexa: note: " << prefix << note << '\n';
  }
  // What the library would accept but drop or bend. A cut name is one of
  // those too: the head unit shows less than was given.
  std::string text;
  TextOfFile(request.plan, file.bytes, &text);
  std::vector<std::string> warnings = StrictWarnings(request.plan, text);
  for (const std::string& warning : warnings) {
    std::cerr << "vexa: warning: " << prefix << warning << '\n';
  }
  if (options.strict &&
      (!warnings.empty() || !file.notes.empty() || fitted)) {
    *error = prefix +
             "--strict and the file would not say exactly what was given "
             "(see above)";
    return false;
  }
  // The library reads the bytes before anything reaches the target.
  DestinationPacket packet{};
  const int result = ReadBytesWithPlan(file.bytes, request.plan, &packet);
  if (!CheckDecoded(request, file, result, packet, error)) {
    *error = prefix + *error;
    return false;
  }
  return true;
}

// Puts `planned`'s file in place and reads it back from there.
int WritePlanned(const EncodeOptions& options, const PlannedFile& planned) {
  const EncodeRequest& request = planned.request;
  const EncodedFile& file = planned.file;
  const std::string& target = planned.target;
  std::string error;
  if (target == "-") {
    std::cout.write(file.bytes.data(),
                    static_cast<std::streamsize>(file.bytes.size()));
    // The reason of a failed write is reported on the way out.
    if (!std::cout.flush()) return kExitFailed;
    std::cerr << "vexa: wrote standard output: " << Summary(request, file)
              << "; the library reads it as meant\n";
    return kExitOk;
  }
  std::string placed;
  if (!WriteFileSafely(target, file.bytes,
                       WriteMode{options.no_clobber, options.force}, &placed,
                       &error)) {
    std::cerr << "vexa: " << error << "; nothing was written\n";
    return kExitFailed;
  }
  // Read back the file that is in place, from its real path.
  DestinationPacket packet{};
  const int result = ReadFileWithPlan(placed, request.plan, &packet);
  if (!CheckDecoded(request, file, result, packet, &error)) {
    std::cerr << "vexa: " << ShownPath(target)
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
  std::cout << "wrote " << ShownPath(target) << ": " << Summary(request, file)
            << "; the library reads it back as meant\n";
  return kExitOk;
}

// kExitOk, or the refusal when writing `target` (named by `option`) would
// replace one of the `inputs`.
int RefuseInputAsTarget(const std::string& target,
                        const std::vector<std::string>& inputs,
                        const std::string& option) {
  const std::string input = InputAtTarget(target, inputs);
  if (input.empty()) return kExitOk;
  return Refuse("the target " + InputName(target) + " is " +
                (input == "-" ? std::string("the file on standard input")
                              : "the input " + InputName(input)) +
                " (the same file), which writing it would destroy; give "
                "another " + option);
}

int RunEncode(const EncodeOptions& options) {
  if (options.output.empty() == options.split.empty()) {
    throw UsageError("give -o FILE or --split PATTERN (one of them)");
  }
  if ((options.first > 0) + (options.last > 0) + (options.spread > 0) > 1) {
    throw UsageError("give one of --first, --last and --spread");
  }
  if (options.max_files > 0 && options.split.empty()) {
    throw UsageError("--max-files limits the files --split writes");
  }
  if (!options.split.empty() && options.split.find("{n}") == std::string::npos) {
    throw UsageError("--split '" + ShownText(options.split) +
                     "' has no {n} for the number of each file");
  }
  // Before anything is read: writing the target would replace an input
  // (a spreadsheet lost to a binary list), through any link to it too.
  std::vector<std::string> inputs;
  for (const InputSource& source : InputSources(options)) {
    inputs.push_back(source.path);
  }
  if (!options.output.empty()) {
    if (const int status = RefuseInputAsTarget(options.output, inputs, "-o");
        status != kExitOk) {
      return status;
    }
  }
  EncodeRequest request;
  request.plan = options.plan;
  std::vector<std::string> notes;
  std::string error;
  CollectPoints(options, &request, &notes, &error);
  std::vector<std::string> fitted;
  if (error.empty()) FitPoints(options, &request, &notes, &fitted);
  for (const std::string& note : notes) {
    std::cerr << "vexa: note: " << note << '\n';
  }
  if (!error.empty()) {
    std::cerr << "vexa: " << error << '\n';
    return kExitFailed;
  }
  for (const std::string& warning : fitted) {
    std::cerr << "vexa: warning: " << warning << '\n';
  }
  request.routes = RoutesFor(options, request.points);

  std::vector<PlannedFile> files = PlanFiles(options, request);
  const std::size_t most_files = static_cast<std::size_t>(
      options.max_files > 0 ? options.max_files : kMaxSplitFiles);
  if (files.size() > most_files) {
    return Refuse(
        "--split would write " + std::to_string(files.size()) + " files (" +
        std::to_string(request.points.size()) + " points, at most " +
        std::to_string(MaxPoints(request.plan)) + " in each), more than " +
        std::to_string(most_files) + "; give --max-files " +
        std::to_string(files.size()) + " to write them all");
  }
  // The files --split names are known only now, still before any is written.
  for (const PlannedFile& planned : files) {
    if (options.split.empty()) break;
    if (const int status =
            RefuseInputAsTarget(planned.target, inputs, "--split pattern");
        status != kExitOk) {
      return status;
    }
  }
  for (PlannedFile& planned : files) {
    if (!PrepareFile(options, &planned, !fitted.empty(), &error)) {
      return Refuse(error);
    }
  }
  for (const PlannedFile& planned : files) {
    const int status = WritePlanned(options, planned);
    if (status != kExitOk) return status;
  }
  if (!options.split.empty()) {
    const std::vector<std::string> left =
        LeftBehind(options.split, files.size() + 1);
    if (!left.empty()) {
      const bool one = left.size() == 1;
      std::cerr << "vexa: note: " << ShownPath(left.front())
                << (one ? std::string(" is")
                        : " to " + ShownPath(left.back()) + " (" +
                              std::to_string(left.size()) + " files) are")
                << " left from an earlier split into more files (not "
                   "written now); remove "
                << (one ? "it if it is" : "them if they are") << " stale\n";
    }
  }
  return kExitOk;
}

// A check of an option's value by `valid`, whose description lists the
// `words` (comma-separated) for the help and the shells' completion; a
// value it refuses gets `why`.
CLI::Validator WordCheck(const std::string& words,
                         std::function<bool(const std::string&)> valid,
                         const std::string& why) {
  return CLI::Validator(
      [valid, why](std::string& value) {
        return valid(value) ? std::string()
                            : "'" + ShownText(value) + "' " + why;
      },
      "{" + words + "}");
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
                   "The file to write, - for standard output (or --split). "
                   "Only a regular file is replaced (atomically, keeping its mode); "
                   "a link is followed and stays a link")
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
      ->check(WordCheck(
          "recommended,fastest,shortest,economical",
          [](const std::string& name) { return RouteModeFromName(name) >= 0; },
          "is not recommended, fastest, shortest or economical"))
      ->allow_extra_args(false);
  command
      ->add_option("--input", options->input,
                   "Take the points from an interchange file (- for "
                   "standard input): GPX, KML, GeoJSON or CSV, told by its "
                   "content")
      ->type_name("FILE");
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
  command->add_flag("--gpx-waypoints", options->gpx_waypoints,
                    "Use the waypoints of the GPX file even when it has a "
                    "route");
  command
      ->add_option("--csv", options->csv,
                   "Take the points from a CSV file (- for standard input): "
                   "a header naming latitude (lat, y) and longitude (lon, "
                   "lng, long, x), optionally name (title, label) and route "
                   "(type); comma, semicolon or tab separated")
      ->type_name("FILE");
  command
      ->add_option("--kml", options->kml,
                   "Take the points from a KML file (- for standard input): "
                   "its placemarks' points; for plan 1 without points, a "
                   "LineString's points as the route")
      ->type_name("FILE");
  command
      ->add_option("--geojson", options->geojson,
                   "Take the points from a GeoJSON file (- for standard "
                   "input): its Point features (property name, route); for "
                   "plan 1 without points, a LineString as the route")
      ->type_name("FILE");
  command
      ->add_option("--input-encoding", options->input_encoding,
                   "The input file's encoding when it has no byte-order "
                   "mark: UTF-8, UTF-16, 936, 1252 (or another of 874 and "
                   "1250 to 1258) or ISO-8859-1; without it, text that is "
                   "not UTF-8 is read in the code page only when it "
                   "plausibly is (a guess, which --strict refuses)")
      ->type_name("NAME")
      ->check(WordCheck(
          "UTF-8,UTF-16,ISO-8859-1,936,1252,874,1250,1251,1253,1254,1255,"
          "1256,1257,1258",
          [](const std::string& name) {
            InputEncoding ignored;
            return InputEncodingFromName(name, &ignored);
          },
          "is not UTF-8, UTF-16, ISO-8859-1 or a code page 874, 936, 1250 "
          "to 1258"));
  command
      ->add_option("--first", options->first,
                   "Take only the first N points (when the input holds more "
                   "than a file carries)")
      ->type_name("N")
      ->check(CLI::Range(1, 1000000).description(""));
  command
      ->add_option("--last", options->last,
                   "Take only the last N points (a guide message's "
                   "destination is the last)")
      ->type_name("N")
      ->check(CLI::Range(1, 1000000).description(""));
  command
      ->add_option("--spread", options->spread,
                   "Take N points spread evenly over the input, its first "
                   "and last included (a route's start, via points and "
                   "destination)")
      ->type_name("N")
      ->check(CLI::Range(1, 1000000).description(""));
  command
      ->add_option("--split", options->split,
                   "Write as many files as the points need, each as full "
                   "as the plan allows, named by PATTERN with {n} their "
                   "number from 1 (fleet-{n}.cld); instead of -o")
      ->type_name("PATTERN");
  command
      ->add_option("--max-files", options->max_files,
                   "Let --split write up to N files (default " +
                       std::to_string(kMaxSplitFiles) + ")")
      ->type_name("N")
      ->check(CLI::Range(1, 1000000).description(""));
  command
      ->add_option("--replace-unmappable", options->replace_unmappable,
                   "Write '?' for a character of a name that the code page "
                   "lacks (=transliterate: its well-known spelling where it "
                   "has one, ae for ä, ss for ß) and a full-width comma for "
                   "a comma, with a warning (--strict still refuses)")
      ->expected(0, 1)
      ->default_str("question-mark")
      ->type_name("[=HOW]")
      ->check(CLI::IsMember({"question-mark", "transliterate"}));
  AddCodePageOption(command);
  command->add_flag("--strict", options->strict,
                    "Refuse when the file would not say exactly what was "
                    "given (a name cut, say) or the input's encoding is a "
                    "guess");
  command->footer(
      "Exit status: 0 written and read back as meant, 1 refused or not "
      "written (the target unchanged), 2 usage error.");
  command->callback([options, exit_code] { *exit_code = RunEncode(*options); });
}

}  // namespace vexa::tool
