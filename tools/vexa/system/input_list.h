// The files that a command's file arguments stand for. A folder stands for
// every regular file below it, in sorted order, folder by folder; links
// inside it are not followed, so a walk never leaves the folder (nor loops),
// and what is neither a file nor a folder (a FIFO, a device) is skipped
// with a note. On Windows, where the shell leaves wildcards to the
// program, `*` and `?` are expanded here (system.h's ExpandWildcards).
//
// Threading: one caller at a time.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_INPUT_LIST_H_
#define VEXA_TOOLS_VEXA_SYSTEM_INPUT_LIST_H_

#include <string>
#include <vector>

namespace vexa::tool {

struct InputItem {
  std::string path;   // a file to read, or the argument that gave none
  std::string error;  // why the argument gave no file; empty for a file
};

struct InputList {
  std::vector<InputItem> items;    // in the order of the arguments
  std::vector<std::string> notes;  // what a folder walk skipped, and why
  bool gathered = false;           // a folder or a wildcard gave the files
};

// Expands `arguments` ("-", standard input, stays as it is). A pattern
// that matches nothing, a folder that cannot be read and a folder that
// holds no regular file each give one item with an error.
InputList ExpandInputArguments(const std::vector<std::string>& arguments);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_INPUT_LIST_H_
