#!/usr/bin/python3
"""The differential driver for the CE Vexa.dll: the generated inputs (as
vexa_differential_inputs writes them) through the DLL under unicorn, one
line per input as the other builds' driver prints it:
    <index> <result> <file kept> <callbacks> <FNV-1a of the 568 packet bytes>
or, with --show I, input I and the packet after it in full.

The whole run is one process with the DLL loaded once, as the other drivers
do. Its code page conversions are the host library's (code page 936 as
Windows converts it), loaded from vexa_code_page_shim, so that the DLL meets
the same conversion as every other build.

    ce_differential.py DLL INPUTS SHIM [--cpu arm926|armv4t] [--show I]
"""

import argparse
import ctypes
import sys

from ce_system import PACKET_SIZE, CeSystem

TEXT_CAPACITY = 1 << 16


def fnv1a(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


class HostCodePages:
    """coredll's two conversions through the host library's."""

    def __init__(self, system, shim_path):
        self.system = system
        shim = ctypes.CDLL(shim_path)
        self.to_code_page = shim.VexaWideToCodePage
        self.to_code_page.argtypes = [ctypes.c_uint, ctypes.c_char_p, ctypes.c_int,
                                      ctypes.c_char_p, ctypes.c_int]
        self.to_wide = shim.VexaCodePageToWide
        self.to_wide.argtypes = [ctypes.c_uint, ctypes.c_char_p, ctypes.c_char_p,
                                 ctypes.c_int]

    def wide_char_to_multi_byte(self, a):
        memory = self.system.memory
        code_page, units, out, capacity = a[0], a.signed(3), a[4], a.signed(5)
        if a[1] != 0 or units <= 0 or capacity <= 0:
            raise AssertionError("a conversion the library does not ask for")
        text = memory.read(a[2], 2 * units)
        buffer = ctypes.create_string_buffer(capacity)
        written = self.to_code_page(code_page, text, units, buffer, capacity)
        if written > 0:
            memory.write(out, buffer.raw[:written])
        return written

    def multi_byte_to_wide_char(self, a):
        memory = self.system.memory
        code_page, count, out, capacity = a[0], a.signed(3), a[4], a.signed(5)
        if a[1] != 0 or count != -1 or capacity <= 0:
            raise AssertionError("a conversion the library does not ask for")
        text = memory.cstring(a[2])
        buffer = ctypes.create_string_buffer(2 * capacity)
        written = self.to_wide(code_page, text, buffer, capacity)
        if written > 0:
            memory.write(out, buffer.raw[:2 * written])
        return written


def read_inputs(path, last):
    with open(path) as f:
        for index, line in enumerate(f):
            if index == last:
                return
            kind, length, text, file = line.split()
            yield (int(kind), int(length),
                   b"" if text == "-" else bytes.fromhex(text),
                   b"" if file == "-" else bytes.fromhex(file))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dll")
    parser.add_argument("inputs")
    parser.add_argument("shim")
    parser.add_argument("--cpu", default="arm926")
    parser.add_argument("--show", type=int, default=-1)
    args = parser.parse_args()

    ce = CeSystem()
    ce.data_dir = "."
    code_pages = HostCodePages(ce, args.shim)
    ce.ce_WideCharToMultiByte = code_pages.wide_char_to_multi_byte
    ce.ce_MultiByteToWideChar = code_pages.multi_byte_to_wide_char
    if ce.start(args.dll, cpu=args.cpu) != 1:
        print("ce_differential: the DLL's attach failed", file=sys.stderr)
        return 1
    callbacks = [0]

    def count_callback(a):
        callbacks[0] += 1
        return 0
    ce.call("PTT_Set_Callback", ce.stub(count_callback))
    text = ce.buffer(TEXT_CAPACITY)
    packet = ce.buffer(PACKET_SIZE)
    out = sys.stdout
    plan = 0
    last = args.show + 1 if args.show >= 0 else None
    for index, (kind, length, units, file) in enumerate(read_inputs(args.inputs, last)):
        wanted = 1 if kind in (0, 2) else 2  # guide messages, lists
        if wanted != plan:
            ce.guide_plan = wanted
            if ce.call("PTT_Init") != 0:
                print(f"ce_differential: input {index} could not be run", file=sys.stderr)
                return 1
            plan = wanted
        callbacks[0] = 0
        kept = 0
        if kind >= 2:
            name = ".\\guide.dat" if kind == 2 else ".\\dest.cld"
            ce.files = {name: file}
            result = ce.call("PTT_Init")
            kept = 1 if name in ce.files else 0
            ce.files = {}
        else:
            ce.memory.write(text, units + b"\0\0")
            result = ce.call("PTT_Parse_Raw_Protocol", text, length)
        ce.journal.clear()
        got, data = ce.packet(packet)
        if got != 0:
            return 1
        if args.show < 0:
            out.write(f"{index} {result} {kept} {callbacks[0]} {fnv1a(data):016x}\n")
        elif index == args.show:
            out.write(f"input {index}: kind {kind}, {length} bytes, text {units.hex()}, "
                      f"file {file.hex()}\n")
            out.write(f"result {result}, file kept {kept}, callbacks {callbacks[0]}, packet:\n")
            for row in range(0, PACKET_SIZE, 16):
                out.write(f"  {row:04x}  " + " ".join(f"{b:02x}" for b in data[row:row + 16])
                          + "\n")
    out.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
