// --replace-unmappable[=transliterate]: the tool adapts a name to what a destination list
// can carry, never the file format to the name. A comma would split the
// list's fields, and a character the code page lacks would reach the head
// unit as the code page's default character; by default both are refused
// (destination_encoder.h), and with the option each is replaced, with a
// warning, so that --strict still refuses.

#ifndef VEXA_TOOLS_VEXA_DESTINATION_NAME_FITTING_H_
#define VEXA_TOOLS_VEXA_DESTINATION_NAME_FITTING_H_

#include <string>

namespace vexa::tool {

// `name` (UTF-8) with each comma replaced by a full-width comma (or a
// semicolon where the code page has none) and each character the code
// page lacks by '?', or with `transliterate` by its well-known spelling in
// other letters where it has one (ä ae, ß ss, é e, a curly quote a
// straight one). A character is replaced with its combining marks,
// variation selector or joined sequence, never apart from them. Returns
// what was replaced, for the warning ("1 character code page 936 lacks, 2
// commas"); empty when nothing was, and then `*fitted` is `name`. Text
// that is not UTF-8 is left alone (the encoder refuses it).
std::string FitName(const std::string& name, std::string* fitted,
                    bool transliterate = false);

// `name` with each run of line breaks and tabs, with the blanks around
// it, folded into one space (none at either end): a spreadsheet cell
// written with Alt+Enter, a GPX name over two lines. A head unit shows a
// name on one line. False, with `*folded` as `name`, when there was none.
bool FoldLineBreaks(const std::string& name, std::string* folded);

// Folds `*name` as FoldLineBreaks does; returns the warning that says so,
// naming `origin` (where the name came from), or "" when nothing changed.
// The tool and the page warn alike.
std::string FoldNameWithWarning(const std::string& origin, std::string* name);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_NAME_FITTING_H_
