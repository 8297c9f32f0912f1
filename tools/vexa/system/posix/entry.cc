// The tool's entry on POSIX systems: the arguments are already the bytes
// the shared code reads as UTF-8.

#include "entry.h"

int main(int argc, char** argv) { return vexa::tool::RunVexa(argc, argv); }
