"""What the CE Vexa.dll file says about itself, read by pefile and by GNU
objdump for arm-wince-pe (scripts/build-wince-objdump.sh), against the
sources that define it: the machine, subsystem and its version, the
exports of src/vexa.def at their numbers, exactly the imports of
src/platform/wince/imports.tsv, and the version resource.

Environment: VEXA_WINCE_DLL, VEXA_SOURCE_DIR, VEXA_VERSION.
"""

import os
import re
import subprocess
import unittest

import pefile

DLL = os.environ.get("VEXA_WINCE_DLL", "Vexa.dll")
SOURCE = os.environ.get("VEXA_SOURCE_DIR", "../..")
VERSION = os.environ.get("VEXA_VERSION", "0.0.0")


def def_exports():
    exports = {}
    with open(os.path.join(SOURCE, "src/vexa.def")) as f:
        for line in f:
            words = line.split(";")[0].split()
            if len(words) == 2 and words[1].startswith("@"):
                exports[int(words[1][1:])] = words[0]
    return exports


def listed_imports():
    rows = set()
    with open(os.path.join(SOURCE, "src/platform/wince/imports.tsv")) as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            dll, _, name = line.rstrip("\n").split("\t")
            rows.add((dll.lower(), int(name[1:]) if name.startswith("#") else name))
    return rows


class CeDllFile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(DLL)

    def test_header(self):
        pe = self.pe
        self.assertEqual(pe.FILE_HEADER.Machine, 0x1C0)
        self.assertTrue(pe.is_dll())
        self.assertEqual(pe.OPTIONAL_HEADER.Subsystem, 9)  # Windows CE GUI
        self.assertEqual((pe.OPTIONAL_HEADER.MajorSubsystemVersion,
                          pe.OPTIONAL_HEADER.MinorSubsystemVersion), (4, 20))
        self.assertTrue(pe.verify_checksum())
        self.assertEqual(pe.get_warnings(), [])

    def test_exports_and_imports(self):
        exports = {s.ordinal: s.name.decode()
                   for s in self.pe.DIRECTORY_ENTRY_EXPORT.symbols}
        self.assertEqual(exports, def_exports())
        self.assertEqual(sorted(exports), list(range(1, 12)))
        imports = {(d.dll.decode().lower(), i.name.decode() if i.name else i.ordinal)
                   for d in self.pe.DIRECTORY_ENTRY_IMPORT for i in d.imports}
        self.assertEqual(imports, listed_imports())
        self.assertEqual({d.dll.decode().lower() for d in self.pe.DIRECTORY_ENTRY_IMPORT},
                         {"coredll.dll", "norl.dll", "norl_meriak.dll", "pc.dll"})

    def test_version_resource(self):
        strings = {k.decode(): v.decode()
                   for info in self.pe.FileInfo[0] if info.Key == b"StringFileInfo"
                   for table in info.StringTable for k, v in table.entries.items()}
        self.assertEqual(strings["FileVersion"], VERSION)
        self.assertEqual(strings["OriginalFilename"], "Vexa.dll")

    def test_objdump_reads_it_alike(self):
        dump = subprocess.run(["arm-wince-pe-objdump", "-p", DLL], check=True,
                              capture_output=True, text=True).stdout
        self.assertIn("file format pei-arm-wince-little", dump)
        self.assertIn("Subsystem\t\t00000009", dump)
        # The name table gives each name's number less the base (1).
        for number, name in def_exports().items():
            self.assertRegex(dump, rf"\[\s*{number - 1}\] {name}\n")
        for _, name in listed_imports():
            wanted = (rf"\s{name}\s+<none>" if isinstance(name, int)
                      else r"\s" + re.escape(name))
            self.assertRegex(dump, wanted + "\n")


if __name__ == "__main__":
    unittest.main()
