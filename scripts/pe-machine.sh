#!/usr/bin/env bash
# Prints a PE file's machine field as four hex digits (014c i386, 8664
# x86-64, 01c0 ARM as Windows CE uses it), so a check can pick the objdump
# that reads the file.
#   scripts/pe-machine.sh FILE
set -euo pipefail
lfanew=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
od -An -tx2 -j $((lfanew + 4)) -N 2 "$1" | tr -d ' '
