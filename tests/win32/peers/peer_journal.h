// The test peers' journal: each peer appends one line per event (its load,
// each call, its unload) to the file named by VEXA_PEER_JOURNAL, so a test
// reads what the library did to its peers, in order. Without the variable
// nothing is written.

#ifndef VEXA_TESTS_WIN32_PEERS_PEER_JOURNAL_H_
#define VEXA_TESTS_WIN32_PEERS_PEER_JOURNAL_H_

#include <cstdio>
#include <cstdlib>

namespace vexa::test {

inline void NoteInJournal(const char* line) {
  const char* path = std::getenv("VEXA_PEER_JOURNAL");
  if (path == nullptr || *path == '\0') return;
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}

}  // namespace vexa::test

#endif  // VEXA_TESTS_WIN32_PEERS_PEER_JOURNAL_H_
