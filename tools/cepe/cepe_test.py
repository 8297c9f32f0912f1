"""Tests of cepe.py on small images linked here with the CE link's own
linker script: what the DLL carries (sections, base relocations, exports,
imports by name and by number) read back with pefile, and refusals of what
a CE PE file cannot carry.

Environment: VEXA_CC (arm-none-eabi-gcc), VEXA_WINCE_LD (the linker script).
"""

import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import pefile

import cepe

CC = os.environ.get("VEXA_CC", "arm-none-eabi-gcc")
LINKER_SCRIPT = os.environ.get("VEXA_WINCE_LD", os.path.join(
    os.path.dirname(__file__), "../../src/platform/wince/wince.ld"))

IMPORTS = """# dll\tsymbol\timport
COREDLL.dll\tmalloc\tmalloc
COREDLL.dll\tfree\tfree
PC.dll\tPC_GetPlatformCode\t#12
"""

DEF = """LIBRARY Tiny.dll
EXPORTS
  Zeta @1
  Alpha @3
"""

# DllMain calls an import by name and one by number; `table` holds absolute
# addresses of two functions, which a move must adjust.
PROGRAM = """
    .syntax unified
    .arm
    .text
    .global DllMain
DllMain:
    push {r4, lr}
    bl malloc
    bl PC_GetPlatformCode
    pop {r4, lr}
    bx lr
    .global Alpha
    .type Alpha, %function
Alpha:
    ldr r0, =table
    bx lr
    .global Zeta
    .type Zeta, %function
Zeta:
    bl free
    bx lr
    .data
    .global table
table:
    .word Alpha
    .word Zeta
"""


class Linked:
    """An image linked from PROGRAM plus `extra` assembly, and its DLL."""

    def __init__(self, folder, extra="", imports=IMPORTS):
        self.folder = folder
        paths = {n: os.path.join(folder, n) for n in
                 ("imports.tsv", "tiny.def", "stubs.s", "program.s", "image.elf",
                  "Tiny.dll")}
        self.paths = paths
        with open(paths["imports.tsv"], "w") as f:
            f.write(imports)
        with open(paths["tiny.def"], "w") as f:
            f.write(DEF)
        with open(paths["program.s"], "w") as f:
            f.write(PROGRAM + extra)
        assert cepe.main(["stubs", paths["imports.tsv"], "-o", paths["stubs.s"]]) == 0
        subprocess.run([CC, "-march=armv4t", "-marm", "-nostdlib",
                        "-Wl,--emit-relocs", "-Wl,--no-warn-rwx-segments",
                        "-T", LINKER_SCRIPT, paths["program.s"], paths["stubs.s"],
                        "-o", paths["image.elf"]], check=True)

    def convert(self):
        """The PE bytes, or the refusal's message."""
        rows = cepe.read_imports(self.paths["imports.tsv"])
        library, exports = cepe.read_def(self.paths["tiny.def"])
        return cepe.write_pe(cepe.Image(self.paths["image.elf"]), rows, library,
                             exports, "1.2.3")


class ConverterTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def test_what_the_dll_carries(self):
        linked = Linked(self.folder.name)
        image = cepe.Image(linked.paths["image.elf"])
        pe = pefile.PE(data=linked.convert())
        self.assertEqual(pe.FILE_HEADER.Machine, 0x1C0)
        self.assertTrue(pe.is_dll())
        self.assertEqual(pe.OPTIONAL_HEADER.Subsystem, 9)
        self.assertEqual((pe.OPTIONAL_HEADER.MajorSubsystemVersion,
                          pe.OPTIONAL_HEADER.MinorSubsystemVersion), (4, 20))
        self.assertTrue(pe.verify_checksum())
        base = pe.OPTIONAL_HEADER.ImageBase
        self.assertEqual(pe.OPTIONAL_HEADER.AddressOfEntryPoint,
                         image.symbol("DllMain")[0] - base)

        # Exports: by name in name order, at their numbers; 2 is a gap.
        exports = {s.ordinal: (s.name, s.address)
                   for s in pe.DIRECTORY_ENTRY_EXPORT.symbols}
        self.assertEqual(exports, {
            1: (b"Zeta", image.symbol("Zeta")[0] - base),
            3: (b"Alpha", image.symbol("Alpha")[0] - base)})

        # Imports by name and by number, each library's slots in a row.
        imports = {d.dll: [(i.name, i.ordinal, i.address) for i in d.imports]
                   for d in pe.DIRECTORY_ENTRY_IMPORT}
        malloc_slot = image.symbol("__imp_malloc")[0]
        self.assertEqual(imports, {
            b"COREDLL.dll": [(b"malloc", None, malloc_slot),
                             (b"free", None, malloc_slot + 4)],
            b"PC.dll": [(None, 12, image.symbol("__imp_PC_GetPlatformCode")[0])]})

        # Base relocations: the two words of `table`, the literal of Alpha's
        # load, and each stub's slot address; nothing else.
        relocated = sorted(base + e.rva for b in pe.DIRECTORY_ENTRY_BASERELOC
                           for e in b.entries if e.type == 3)
        table = image.symbol("table")[0]
        self.assertIn(table, relocated)
        self.assertIn(table + 4, relocated)
        self.assertEqual(len(relocated), 2 + 1 + 3)

        # Moved to another base, the table points at the moved functions.
        moved = 0x20000000
        pe.relocate_image(moved)
        words = struct.unpack("<2I", pe.get_data(table - base, 8))
        self.assertEqual(words, (moved + exports[3][1], moved + exports[1][1]))

        # The version resource.
        info = pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((info.FileVersionMS, info.FileVersionLS), (0x10002, 0x30000))

    def test_refusals(self):
        cases = {
            "relocation type": "\t.data\n\t.reloc ., R_ARM_ABS32_NOI, Alpha\n"
                               "\t.word 0\n",
            "thread-local": "\t.section .tdata,\"awT\",%progbits\n\t.word 1\n",
            "import and export tables": "\t.section .idata$5,\"aw\",%progbits\n"
                                        "\t.word 0\n",
            "not the 20 the stubs make": "\t.section .vexa_iat,\"aw\",%progbits\n"
                                      "\t.word 7\n",
            "no such function": "",
        }
        for what, extra in cases.items():
            with self.subTest(refused=what):
                folder = tempfile.mkdtemp(dir=self.folder.name)
                linked = Linked(folder, extra)
                if what == "no such function":
                    with open(linked.paths["tiny.def"], "a") as f:
                        f.write("  table @4\n")
                with self.assertRaisesRegex(cepe.Refused, what):
                    linked.convert()
                self.assertEqual(
                    cepe.main(["pe", linked.paths["image.elf"], "--imports",
                               linked.paths["imports.tsv"], "--def",
                               linked.paths["tiny.def"], "-o", linked.paths["Tiny.dll"]]),
                    1)
                self.assertFalse(os.path.exists(linked.paths["Tiny.dll"]))



def archive_members(data):
    """[(name, bytes)] of an ar archive."""
    members, at = [], 8
    while at < len(data):
        size = int(data[at + 48:at + 58])
        members.append((data[at:at + 16].decode().strip(), data[at + 60:at + 60 + size]))
        at += 60 + size + size % 2
    return members


class ImportLibraryTest(unittest.TestCase):
    EXPORTS = [("PTT_Init", 5), ("CTL_Init", 1), ("SND_Get_Volume", 8)]

    def test_linker_members_find_every_symbol(self):
        data = cepe.import_library("Vexa.dll", self.EXPORTS)
        members = archive_members(data)
        self.assertEqual([n for n, _ in members[:2]], ["/", "/"])
        second = members[1][1]
        (count,) = struct.unpack_from("<I", second)
        offsets = struct.unpack_from(f"<{count}I", second, 4)
        (symbols,) = struct.unpack_from("<I", second, 4 + 4 * count)
        indices = struct.unpack_from(f"<{symbols}H", second, 8 + 4 * count)
        names = second[8 + 4 * count + 2 * symbols:].split(b"\0")[:symbols]
        self.assertEqual(names, sorted(names))
        for name, index in zip(names, indices):
            member = data[offsets[index - 1] + 60:]
            if name.startswith(b"__imp_") or not name.startswith((b"__", b"\x7f")):
                # A short import member: its name and the DLL's.
                code = name[6:] if name.startswith(b"__imp_") else name
                self.assertEqual(member[:4], b"\0\0\xff\xff")
                self.assertTrue(member[20:].startswith(code + b"\0Vexa.dll\0"), name)
            else:
                self.assertIn(name, member[:400], name)
        expected = {b"__IMPORT_DESCRIPTOR_Vexa", b"__NULL_IMPORT_DESCRIPTOR",
                    b"\x7fVexa_NULL_THUNK_DATA"}
        for name, _ in self.EXPORTS:
            expected |= {name.encode(), b"__imp_" + name.encode()}
        self.assertEqual(set(names), expected)

    def test_members_are_llvm_dlltools_for_the_other_arm_machine(self):
        # llvm-dlltool writes the same members for Windows on Thumb-2 (machine
        # 0x1C4); with the machine changed they must be ours byte for byte.
        tool = shutil.which("llvm-dlltool") or shutil.which("llvm-dlltool-14")
        self.assertIsNotNone(tool, "llvm-dlltool (Debian package llvm) is needed")
        with tempfile.TemporaryDirectory() as folder:
            definition = os.path.join(folder, "vexa.def")
            with open(definition, "w") as f:
                f.write("LIBRARY Vexa.dll\nEXPORTS\n" + "".join(
                    f"  {n} @{k}\n" for n, k in self.EXPORTS))
            reference = os.path.join(folder, "ref.lib")
            subprocess.run([tool, "-m", "arm", "-d", definition, "-D", "Vexa.dll",
                            "-l", reference], check=True)
            with open(reference, "rb") as f:
                theirs = archive_members(f.read())
        ours = archive_members(cepe.import_library("Vexa.dll", self.EXPORTS))
        theirs = [(n, d.replace(b"\xc4\x01", b"\xc0\x01")) for n, d in theirs
                  if n != "/"]
        self.assertEqual([m for m in ours if m[0] != "/"], theirs)


if __name__ == "__main__":
    unittest.main()
