#include "commands/output_options.h"

namespace vexa::tool {

void AddOutputOptions(CLI::App* command, OutputOptions* options,
                      const std::string& input) {
  command
      ->add_option("--format", options->format,
                   "Output: table, json, geojson (RFC 7946), gpx (GPX 1.1), "
                   "csv (latitude,longitude,name,route), hex (the 568 "
                   "packet bytes) or svg (a picture of the points, one panel "
                   "per input)")
      ->check(CLI::IsMember(
          {"table", "json", "geojson", "gpx", "csv", "hex", "svg"}))
      ->capture_default_str();
  command->add_flag("--strict", options->strict,
                    "Fail (exit status 1) when " + input +
                        " holds anything the library accepts but drops or "
                        "bends; the warnings are printed either way");
}

}  // namespace vexa::tool
