// The files that a command's file arguments stand for (see input_list.h).

#include "system/input_list.h"

#include <algorithm>

#include "system/input_file.h"
#include "system/system.h"

namespace vexa::tool {
namespace {

// Adds the regular files below `folder` to `list`; the number added.
std::size_t Walk(const std::string& folder, InputList* list) {
  std::vector<FolderEntry> entries;
  std::string reason;
  if (!ListFolder(folder, &entries, &reason)) {
    list->items.push_back(
        {folder, "cannot read the folder " + InputName(folder) + ": " + reason});
    return 0;
  }
  // The system's order differs between systems and file systems; byte
  // order of the names is the same everywhere.
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) {
              return a.path < b.path;
            });
  std::size_t added = 0;
  for (const FolderEntry& entry : entries) {
    switch (entry.kind) {
      case EntryKind::kFile:
        list->items.push_back({entry.path, ""});
        ++added;
        break;
      case EntryKind::kFolder:
        added += Walk(entry.path, list);
        break;
      case EntryKind::kLink:
        list->notes.push_back(InputName(entry.path) +
                              " is a link; links in a folder are not "
                              "followed (give it by name to read it)");
        break;
      case EntryKind::kOther:
        list->notes.push_back(InputName(entry.path) +
                              " is not a regular file; skipped");
        break;
    }
  }
  return added;
}

void AddFolder(const std::string& folder, InputList* list) {
  list->gathered = true;
  const std::size_t before = list->items.size();
  if (Walk(folder, list) == 0 && list->items.size() == before) {
    list->items.push_back(
        {folder, "the folder " + InputName(folder) +
                     " holds no regular file"});
  }
}

}  // namespace

InputList ExpandInputArguments(const std::vector<std::string>& arguments) {
  InputList list;
  for (const std::string& argument : arguments) {
    std::vector<std::string> matches;
    if (argument != "-" && ExpandWildcards(argument, &matches)) {
      list.gathered = true;
      if (matches.empty()) {
        list.items.push_back({argument, "no file matches " +
                                            InputName(argument)});
      }
      std::sort(matches.begin(), matches.end());
      for (const std::string& match : matches) {
        if (IsFolder(match)) {
          AddFolder(match, &list);
        } else {
          list.items.push_back({match, ""});
        }
      }
    } else if (argument != "-" && IsFolder(argument)) {
      AddFolder(argument, &list);
    } else {
      list.items.push_back({argument, ""});
    }
  }
  return list;
}

}  // namespace vexa::tool
