"""The CE Vexa.dll run through its exports under unicorn, with stand-ins for
coredll and the peers (ce_system.py).

Environment: VEXA_WINCE_DLL (the DLL), VEXA_WINCE_CPU (arm926 or armv4t),
VEXA_WINCE_STACK (4 or 8: the stack alignment the caller gives).
"""

import os
import struct
import unittest

from ce_loader import LOAD_BASE, LoadRefused
from ce_system import (HWND_BROADCAST, PACKET_SIZE, CeSystem, Window,
                       guide_file, packet_fields)

DLL = os.environ.get("VEXA_WINCE_DLL", "Vexa.dll")
CPU = os.environ.get("VEXA_WINCE_CPU", "arm926")
STACK = int(os.environ.get("VEXA_WINCE_STACK", "8"))

EXPORTS = ["CTL_Init", "CTL_IsExist", "CTL_Switch_To_Control",
           "PTT_Get_DataPacket", "PTT_Init", "PTT_Parse_Raw_Protocol",
           "PTT_Set_Callback", "SND_Get_Volume", "SND_Set_Volume",
           "SND_Start_Play_Sound", "SND_Stop_Play_Sound"]

DATA_DIR = "\\Storage Card\\导航"
MINIMAL = "(TNC,002,1,3954.5000,11623.2000"
LIST = "(TNC,116.397128,39.916527,Home,推荐"
TIANANMEN = "天安门".encode("gbk")
PARSE = "PTT_Parse_Raw_Protocol"


# What the plans take in, on a fresh load each: (plan, file in the data
# directory as (name, bytes) or None, raw message or None, callbacks, the
# packet after it as (kind, entry prefixes), or None for an all-zero packet
# and a file that stays).
DELIVERIES = [
    # The guide file: via point first (39°50.25' N 116°20.1' E), then the
    # destination; the callback is not called for a file.
    (1, ("guide.dat", guide_file(b"(TNC,002,1,3954.5000,11623.2000,"
                                 b"B1,3950.2500,11620.1000")), None, 0,
     (0, [(1072143360, 367142400, 1), (1072619520, 367795200)])),
    (1, ("guide.dat", guide_file(b"(TNC,003,1,1,1")), None, 0, None),
    (2, ("dest.cld", ("    (TNC,116.397128,39.916527,Home,推荐,"
                      "121.473701,31.230416,天安门,最快").encode("gbk")), None, 0,
     (1, [(1072715932, 367870713, 0, b"Home"),
          (1119501628, 287819514, 1, TIANANMEN)])),
    # 39°54.12345' is 367,737,361.92 units: the nearest is ...362.
    (1, None, "(TNC,002,4,3954.12345,11623.2000", 1,
     (0, [(1072619520, 367737362, 2)])),
    (2, None, "(TNC,116.397128,39.916527,天安门,最短", 1,
     (1, [(1072715932, 367870713, 2, TIANANMEN)])),
]

# Result codes, run in order on a fresh load of plan 1 and of plan 2:
# (plan, or 0 for both; export; arguments; code). Text alone is passed as
# its address and its length in bytes; text in a tuple as its address.
RESULT_CODES = [
    (0, "CTL_Switch_To_Control", (), 0),      # before CTL_Init
    (0, PARSE, MINIMAL, -41),                 # before PTT_Init
    (0, "PTT_Init", (), 0),
    (1, PARSE, MINIMAL, 0),
    (1, PARSE, "(TNC,002,1,3954.5000", -6),
    (1, PARSE, "TNC,002,1,3954.5000,11623.2000", -7),
    (1, PARSE, "(TNC,02,1,3954.5000,11623.2000", -8),
    (1, PARSE, "(TNC,002,7,3954.5000,11623.2000", -9),
    (1, PARSE, MINIMAL + ",B3,1,1,1,1,1,1", -10),
    (1, PARSE, MINIMAL + ",B4294967297,1230.5,11623.2000", -10),
    (1, PARSE, MINIMAL + ",B2,3950.2500,11620.1000,1230.5", -11),
    (1, PARSE, "(TNC,002,1,0000.0000,11623.2000", -12),
    (1, PARSE, MINIMAL + ",B1,3950.2500,0", -13),
    (2, PARSE, LIST, 0),
    (2, PARSE, LIST[1:], -26),
    (2, PARSE, "(TNC,1,1,Home,fast", -27),
    (2, PARSE, "(TNC,0,39.916527,Home,推荐", -28),
    (2, PARSE, "", -42),
    (0, PARSE, (0, 8), -42),
    (0, PARSE, (MINIMAL, -2), -42),
    (0, "PTT_Get_DataPacket", (0,), -44),
]


class CeTest(unittest.TestCase):
    def setUp(self):
        self.ce = CeSystem()
        self.ce.data_dir = DATA_DIR

    def load(self, **kwargs):
        for name, value in kwargs.items():
            setattr(self.ce, name, value)
        self.assertEqual(self.ce.start(DLL, cpu=CPU, stack_alignment=STACK), 1)

    def packet(self):
        result, raw = self.ce.packet()
        self.assertEqual(result, 0)
        return raw

    def arguments(self, values):
        if isinstance(values, str):
            return self.ce.text(values)
        return [self.ce.text(v)[0] if isinstance(v, str) else v for v in values]

    def parse(self, text):
        return self.ce.call(PARSE, *self.ce.text(text))


class Loading(CeTest):
    def test_exports_by_name_at_numbers_one_to_eleven_moved_from_base(self):
        self.load()
        process = self.ce.process
        self.assertEqual(sorted(process.exports), EXPORTS)
        self.assertEqual([process.export_numbers[n] for n in EXPORTS],
                         list(range(1, 12)))
        self.assertGreater(process.relocated, 0)
        self.assertTrue(all(LOAD_BASE < a < LOAD_BASE + 0x100000
                            for a in process.exports.values()))

    def test_a_missing_import_refuses_the_load(self):
        for missing in (("coredll.dll", "EventModify"), ("pc.dll", 12),
                        ("norl_meriak.dll", 133)):
            with self.subTest(missing=missing):
                with self.assertRaises(LoadRefused):
                    CeSystem().load(DLL, cpu=CPU, missing=(missing,))

    def test_detach_runs_the_exit_list(self):
        self.load()
        self.assertEqual(self.ce.call("CTL_Init", 0x1234), 1)
        self.ce.journal.clear()
        self.assertEqual(self.ce.process.detach(), 1)
        # The families' mutexes (sound from the attach, control) go with the
        # exit list; their constructors ran once each.
        self.assertEqual(self.ce.journal.count(("mutex-delete",)), 2)


class Destinations(CeTest):
    def test_files_and_messages_reach_the_packet(self):
        for plan, file, message, callbacks, expected in DELIVERIES:
            with self.subTest(file=file and file[0], message=message):
                self.setUp()
                path = file and DATA_DIR + "\\" + file[0]
                if file:
                    self.ce.files[path] = file[1]
                self.load(guide_plan=plan)
                calls = []
                self.ce.call("PTT_Set_Callback", self.ce.stub(lambda a: calls.append(
                    self.ce.memory.read(a[0], PACKET_SIZE))))
                self.assertEqual(self.ce.call("PTT_Init"), 0)
                if message:
                    self.assertEqual(self.parse(message), 0)
                raw = self.packet()
                # Each call is given the library's packet.
                self.assertEqual(calls, [raw] * callbacks)
                if expected is None:
                    self.assertEqual(raw, bytes(PACKET_SIZE))
                    self.assertIn(path, self.ce.files)
                    continue
                if file:
                    self.assertEqual(self.ce.files, {})
                    self.assertIn(("delete", path), self.ce.journal)
                kind, count, entries = packet_fields(raw)
                self.assertEqual((kind, count), (expected[0], len(expected[1])))
                for entry, prefix in zip(entries, expected[1]):
                    self.assertEqual(entry[:len(prefix)], prefix)

    def test_callbacks_thumb_and_null(self):
        # The navigation program may be Thumb code (ARMv4I interworking):
        # a callback whose address has bit 0 set counts its calls in memory.
        self.load(guide_plan=2)
        self.assertEqual(self.ce.call("PTT_Init"), 0)
        code = self.ce.buffer(32)
        counter = self.ce.buffer(4)
        thumb = struct.pack("<6H", 0x4902,   # ldr r1, [pc, #8]: the counter
                            0x680A,          # ldr r2, [r1]
                            0x3201,          # adds r2, #1
                            0x600A,          # str r2, [r1]
                            0x2000,          # movs r0, #0
                            0x4770)          # bx lr
        self.ce.memory.write(code, thumb + struct.pack("<I", counter))
        self.assertEqual(self.ce.call("PTT_Set_Callback", code | 1), 0)
        for _ in range(2):
            self.assertEqual(self.parse(LIST), 0)
        self.assertEqual(self.ce.memory.u32(counter), 2)
        # Null turns notification off; the message still arrives.
        self.assertEqual(self.ce.call("PTT_Set_Callback", 0), 0)
        self.assertEqual(self.parse("(TNC,121.473701,31.230416,x,经济"), 0)
        self.assertEqual(self.ce.memory.u32(counter), 2)
        self.assertEqual(packet_fields(self.packet())[2][0][2], 3)

    def test_result_codes(self):
        for plan in (1, 2):
            self.setUp()
            self.load(guide_plan=plan)
            for row_plan, export, values, code in RESULT_CODES:
                if row_plan in (0, plan):
                    with self.subTest(plan=plan, export=export, values=values):
                        self.assertEqual(
                            self.ce.call(export, *self.arguments(values)), code)
        # A plan that is neither 1 nor 2 keeps the previous one.
        self.ce.guide_plan = 3
        self.assertEqual(self.ce.call("PTT_Init"), -43)
        self.assertEqual(self.parse("(TNC,1,1,Home,fast"), -27)


class Control(CeTest):
    def test_variants(self):
        window, below, hidden = 0x1000, 0x2000, 0x3000
        for code, switch_result, exists, expected in (
                (2, 77, 1, [("escape", window, 0x80002EFC, 0, 0, 0, 0)]),
                (6, 1, 1, [("foreground", below)]),
                (3, 1, 1, []),
                (13, 1, 1, []),
                (1, 1, 0, [])):
            with self.subTest(platform=code):
                self.setUp()
                self.ce.windows = [Window(window, "nav"), Window(hidden, "x", False),
                                   Window(below, "control")]
                self.load(escape_result=77)
                self.ce.platform_code = code
                self.assertEqual(self.ce.call("CTL_Init", window), 1)
                self.assertEqual(self.ce.call("CTL_IsExist"), exists)
                self.ce.journal.clear()
                self.assertEqual(self.ce.call("CTL_Switch_To_Control"), switch_result)
                self.assertEqual([j for j in self.ce.journal
                                  if j[0] in ("escape", "foreground", "send")],
                                 expected)


class Sound(CeTest):
    def run_sound(self, code):
        self.setUp()
        self.ce.windows = [Window(0x5000, "Navi_Window")]
        self.ce.registry = {("software\\shell\\config", "AddonDll"):
                            "Notify.dll\0".encode("utf-16-le")}
        self.load(platform_code=code)
        record = self.ce.buffer(8)
        self.ce.memory.put_u32(record + 4, 0xFFFFFFFF)
        self.ce.journal.clear()
        start = self.ce.call("SND_Start_Play_Sound", record)
        stop = self.ce.call("SND_Stop_Play_Sound", 5)
        volume = (self.ce.call("SND_Set_Volume", 3), self.ce.call("SND_Get_Volume", 3))
        return start, stop, volume, [j for j in self.ce.journal
                                     if j[0] in ("send", "call", "signal")]

    def test_variants(self):
        cases = {
            1: (1, 1, [("send", HWND_BROADCAST, 2025, 0, 0),
                       ("send", HWND_BROADCAST, 2026, 0, 0)]),
            4: (1, 1, [("call", "rtsound.dll", "StartPlaySound"),
                       ("call", "rtsound.dll", "StopPlaySound")]),
            6: (1, 1, [("call", "notify.dll", "NavSoundNotify", 0),
                       ("call", "notify.dll", "NavSoundNotify", 1)]),
            9: (1, 1, [("signal", "Come_From_NaviExe_Even"),
                       ("send", HWND_BROADCAST, 1166, 0, 0),
                       ("send", HWND_BROADCAST, 1166, 65537, 0)]),
            10: (7, 7, [("send", 0x5000, 4038, 0, 0), ("send", 0x5000, 1026, 0, 0)]),
            2: (1, 1, []),
        }
        for code, (start, stop, journal) in cases.items():
            with self.subTest(platform=code):
                got = self.run_sound(code)
                self.assertEqual(got, (start, stop, (1, 1), journal))

    def test_shared_buffer_gets_the_record_word_plus_one(self):
        self.ce.registry = {}
        self.load(platform_code=9)
        record = self.ce.buffer(9) + 1   # the record need not be aligned
        self.ce.memory.put_u32(record + 4, 41)
        self.assertEqual(self.ce.call("SND_Start_Play_Sound", record), 1)
        view = self.ce.view("Navi_Share_Buffer")
        self.assertEqual(self.ce.memory.u32(view), 42)
        self.ce.memory.put_u32(record + 4, 0xFFFFFFFF)
        self.ce.call("SND_Start_Play_Sound", record)
        self.assertEqual(self.ce.memory.u32(view), 0)


if __name__ == "__main__":
    unittest.main()
