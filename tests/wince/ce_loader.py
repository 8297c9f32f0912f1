"""Loads a Windows CE ARM DLL into unicorn and calls it, as CE's loader and
a navigation program would.

The DLL is mapped away from its preferred base, so that its base
relocations are applied; every import is bound to a stand-in (a Python
function behind a stub address) and a missing one refuses the load, as
CE's loader refuses a DLL whose import it cannot resolve. Calls into the DLL
follow ARM's procedure call standard: four arguments in r0-r3, the rest on
the stack, the result in r0, the return through lr.

The core is chosen by name: "arm926" (ARMv5TEJ, the ARM926EJ-S of many head
units) or "armv4t" (the TI925T, an ARM9TDMI-class ARMv4T core). Both refuse
Thumb-2, ldrd/strd on v4T, and VFP, which the head units lack.
"""

import struct

import pefile
from unicorn import (UC_ARCH_ARM, UC_HOOK_CODE, UC_MODE_ARM, UC_PROT_ALL, Uc,
                     UcError)
from unicorn import arm_const as arm

CPU_MODELS = {
    "arm926": arm.UC_CPU_ARM_926,
    "armv4t": arm.UC_CPU_ARM_TI925T,
}

LOAD_BASE = 0x30000000        # not the DLL's preferred base
STUB_BASE = 0x01000000        # one 4-byte stub per stand-in
STUB_COUNT = 0x1000
RETURN_ADDRESS = 0x01F00000   # where a call into the DLL ends
HEAP_BASE = 0x40000000
HEAP_SIZE = 0x01000000
STACK_TOP = 0x7F000000
STACK_SIZE = 0x00100000
MAX_INSTRUCTIONS = 200_000_000

BX_LR = struct.pack("<I", 0xE12FFF1E)


class LoadRefused(Exception):
    """The loader would not load the DLL."""


class GuestFault(Exception):
    """The DLL's code faulted or ran away."""


class Memory:
    """Reading and writing the guest's memory by type."""

    def __init__(self, uc):
        self.uc = uc

    def read(self, address, size):
        return bytes(self.uc.mem_read(address, size))

    def write(self, address, data):
        self.uc.mem_write(address, bytes(data))

    def u32(self, address):
        return struct.unpack("<I", self.read(address, 4))[0]

    def i32(self, address):
        return struct.unpack("<i", self.read(address, 4))[0]

    def put_u32(self, address, value):
        self.write(address, struct.pack("<I", value & 0xFFFFFFFF))

    def cstring(self, address, limit=1 << 16):
        out = bytearray()
        while len(out) < limit:
            chunk = self.read(address + len(out), 64)
            end = chunk.find(b"\0")
            if end >= 0:
                return bytes(out + chunk[:end])
            out += chunk
        raise GuestFault(f"unterminated string at {address:#x}")

    def wstring(self, address, limit=1 << 15):
        units = []
        while len(units) < limit:
            (unit,) = struct.unpack("<H", self.read(address + 2 * len(units), 2))
            if unit == 0:
                return struct.pack(f"<{len(units)}H", *units).decode(
                    "utf-16-le", "surrogatepass")
            units.append(unit)
        raise GuestFault(f"unterminated wide string at {address:#x}")


class Heap:
    """malloc and free over a guest region; each block remembers its size,
    a freed block is given out again for the same size, and freeing what
    was not allocated is a fault of the caller."""

    def __init__(self, memory):
        self.memory = memory
        self.next = HEAP_BASE
        self.blocks = {}
        self.freed = {}

    def allocate(self, size):
        size = (max(size, 1) + 7) & ~7
        if self.freed.get(size):
            address = self.freed[size].pop()
        elif self.next + size + 8 > HEAP_BASE + HEAP_SIZE:
            return 0
        else:
            address = self.next
            self.next += size + 8  # a gap, so that overruns land outside blocks
        self.blocks[address] = size
        return address

    def free(self, address):
        if address == 0:
            return
        size = self.blocks.pop(address, None)
        if size is None:
            raise GuestFault(f"free of {address:#x}, which malloc did not give")
        self.freed.setdefault(size, []).append(address)


class Args:
    """The arguments of a call that reached a stand-in."""

    def __init__(self, uc):
        self.uc = uc

    def __getitem__(self, index):
        if index < 4:
            return self.uc.reg_read(arm.UC_ARM_REG_R0 + index)
        sp = self.uc.reg_read(arm.UC_ARM_REG_SP)
        return struct.unpack("<I", self.uc.mem_read(sp + 4 * (index - 4), 4))[0]

    def signed(self, index):
        value = self[index]
        return value - (1 << 32) if value & 0x80000000 else value


class CeProcess:
    """One process with the DLL loaded: `resolve(dll, name_or_number)` gives
    each import's stand-in, a callable (args) -> int, or None."""

    def __init__(self, dll_path, resolve, cpu="arm926", stack_alignment=8):
        self.uc = Uc(UC_ARCH_ARM, UC_MODE_ARM)
        self.uc.ctl_set_cpu_model(CPU_MODELS[cpu])
        self.memory = Memory(self.uc)
        self.stack_alignment = stack_alignment
        self.stubs = []
        self.failure = None
        self.instructions_left = MAX_INSTRUCTIONS
        for base, size in ((STUB_BASE, 0x100000), (RETURN_ADDRESS, 0x1000),
                           (HEAP_BASE, HEAP_SIZE),
                           (STACK_TOP - STACK_SIZE, STACK_SIZE)):
            self.uc.mem_map(base, size, UC_PROT_ALL)
        self.uc.mem_write(STUB_BASE, BX_LR * STUB_COUNT)
        self.uc.mem_write(RETURN_ADDRESS, BX_LR)
        self.heap = Heap(self.memory)
        self.uc.hook_add(UC_HOOK_CODE, self._on_stub, begin=STUB_BASE,
                         end=STUB_BASE + 4 * STUB_COUNT - 1)
        self._load(dll_path, resolve)

    # ---- Loading ----

    def _load(self, path, resolve):
        pe = pefile.PE(path)
        if pe.FILE_HEADER.Machine != 0x1C0:
            raise LoadRefused(f"machine {pe.FILE_HEADER.Machine:#x} is not ARM")
        if pe.OPTIONAL_HEADER.Subsystem != 9:
            raise LoadRefused("not a Windows CE GUI image")
        size = pe.OPTIONAL_HEADER.SizeOfImage
        self.uc.mem_map(LOAD_BASE, (size + 0xFFF) & ~0xFFF, UC_PROT_ALL)
        self.uc.mem_write(LOAD_BASE, pe.header)
        for section in pe.sections:
            data = section.get_data()[:max(section.Misc_VirtualSize, 0)]
            self.uc.mem_write(LOAD_BASE + section.VirtualAddress, data)
        delta = (LOAD_BASE - pe.OPTIONAL_HEADER.ImageBase) & 0xFFFFFFFF
        self.relocated = 0
        for block in getattr(pe, "DIRECTORY_ENTRY_BASERELOC", []):
            for entry in block.entries:
                if entry.type == 0:
                    continue
                if entry.type != 3:
                    raise LoadRefused(f"base relocation type {entry.type}")
                at = LOAD_BASE + entry.rva
                self.memory.put_u32(at, self.memory.u32(at) + delta)
                self.relocated += 1
        self.imports = []
        for library in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
            dll = library.dll.decode()
            for entry in library.imports:
                key = entry.name.decode() if entry.name else entry.ordinal
                function = resolve(dll, key)
                if function is None:
                    raise LoadRefused(f"{dll} has no export {key}")
                slot = entry.address - pe.OPTIONAL_HEADER.ImageBase + LOAD_BASE
                self.memory.put_u32(slot, self.stub(function))
                self.imports.append((dll, key))
        self.exports = {}
        self.export_numbers = {}
        for symbol in pe.DIRECTORY_ENTRY_EXPORT.symbols:
            self.exports[symbol.name.decode()] = LOAD_BASE + symbol.address
            self.export_numbers[symbol.name.decode()] = symbol.ordinal
        self.entry = LOAD_BASE + pe.OPTIONAL_HEADER.AddressOfEntryPoint

    def stub(self, function):
        """The guest address at which a call reaches `function`."""
        if len(self.stubs) == STUB_COUNT:
            raise GuestFault("out of stub addresses")
        self.stubs.append(function)
        return STUB_BASE + 4 * (len(self.stubs) - 1)

    # ---- Running ----

    def _on_stub(self, uc, address, size, _):
        function = self.stubs[(address - STUB_BASE) // 4]
        try:
            result = function(Args(uc))
        except Exception as error:  # carried out of the emulator
            self.failure = error
            uc.emu_stop()
            return
        uc.reg_write(arm.UC_ARM_REG_R0, (result or 0) & 0xFFFFFFFF)
        uc.reg_write(arm.UC_ARM_REG_PC, uc.reg_read(arm.UC_ARM_REG_LR))

    def call(self, address, *args):
        """Calls guest code at `address` and returns r0 (unsigned)."""
        uc = self.uc
        sp = STACK_TOP - 0x100
        if self.stack_alignment == 4:
            sp -= 4  # 4-byte aligned but never 8-byte aligned
        stacked = list(args[4:])
        sp -= 4 * len(stacked)
        for i, value in enumerate(stacked):
            self.memory.put_u32(sp + 4 * i, value)
        for i, value in enumerate(args[:4]):
            uc.reg_write(arm.UC_ARM_REG_R0 + i, value & 0xFFFFFFFF)
        uc.reg_write(arm.UC_ARM_REG_SP, sp)
        uc.reg_write(arm.UC_ARM_REG_LR, RETURN_ADDRESS)
        self.failure = None
        try:
            uc.emu_start(address, RETURN_ADDRESS, count=self.instructions_left)
        except UcError as error:
            pc = uc.reg_read(arm.UC_ARM_REG_PC)
            raise GuestFault(f"{error} at pc {pc:#x}") from None
        if self.failure is not None:
            raise self.failure
        if uc.reg_read(arm.UC_ARM_REG_PC) != RETURN_ADDRESS:
            raise GuestFault("the call did not return (instruction budget spent)")
        return uc.reg_read(arm.UC_ARM_REG_R0)

    def call_export(self, name, *args):
        result = self.call(self.exports[name], *args)
        return result - (1 << 32) if result & 0x80000000 else result

    def attach(self):
        return self.call(self.entry, LOAD_BASE, 1, 0)

    def detach(self):
        return self.call(self.entry, LOAD_BASE, 0, 0)
