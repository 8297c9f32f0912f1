#include "commands/output_options.h"

#include "text/text_codec.h"

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

void AddCodePageOption(CLI::App* command) {
  command
      ->add_option_function<std::string>(
          "--codepage",
          [](const std::string& text) {
            ChooseDestinationCodePage(
                static_cast<unsigned>(std::stoul(text)));
          },
          "The code page of destination files and texts (default: "
          "VEXA_CODEPAGE, else 936, GBK, the head unit's), whatever this "
          "PC's own code page")
      ->type_name("N")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            const bool digits =
                !text.empty() && text.size() <= 5 &&
                text.find_first_not_of("0123456789") == std::string::npos;
            if (digits && ConvertsCodePage(std::stoul(text))) return "";
            return "'" + text +
                   "' is not a code page this system converts (936 is the "
                   "head unit's)";
          },
          "", "CODEPAGE"));
}

}  // namespace vexa::tool
