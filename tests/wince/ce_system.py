"""Stand-ins for what the CE Vexa.dll imports: the coredll.dll calls it makes
(C runtime, files, code pages, libraries, registry, windows, kernel
objects, time) and the head unit's peers (PC, NORL, NORL_MERIAK), plus the
sound library and the add-on notify library that it loads at run time.

Each models CE as its documentation describes the call; where the
documentation leaves a behaviour open, the comment says "our reading".
Everything the DLL does is recorded in `journal` as tuples, in order.

State a test sets: `files` (path -> bytes; paths are compared ignoring
case, as CE's file system does), `registry`, `windows`, `platform_code`,
`guide_plan`, `guide_file`, `data_dir`, `escape_result`.
"""

import struct

from ce_loader import CeProcess

CODE_PAGE = 936
PACKET_SIZE = 568
HWND_BROADCAST = 0xFFFF
HKEY_CURRENT_USER = 0x80000001
ERROR_SUCCESS = 0
ERROR_FILE_NOT_FOUND = 2
ERROR_INVALID_PARAMETER = 87
ERROR_MORE_DATA = 234
INVALID_HANDLE_VALUE = 0xFFFFFFFF
SEEK_SET, SEEK_CUR, SEEK_END = 0, 1, 2


def gbk_encode(text):
    """UTF-16 text to code page 936; what it lacks becomes '?', the code
    page's default character."""
    out = bytearray()
    for ch in text:
        try:
            out += ch.encode("gbk")
        except UnicodeEncodeError:
            out += b"?"
    return bytes(out)


class Stream:
    def __init__(self, path, data, writable):
        self.path = path
        self.data = bytearray(data)
        self.position = 0
        self.writable = writable


class Window:
    def __init__(self, handle, title, visible=True):
        self.handle = handle
        self.title = title
        self.visible = visible


class CeSystem:
    """A head unit: coredll, the peers and the loadable libraries."""

    def __init__(self):
        self.files = {}
        self.registry = {}          # (subkey lower, value name) -> bytes
        self.windows = []           # top-level windows, top of z-order first
        self.platform_code = 1
        self.guide_plan = 1
        self.data_dir = "\\Storage Card\\Navi"
        self.guide_file = None      # default: data directory + "\\guide.dat"
        self.escape_result = 1
        # Loadable libraries: their exports with the number of arguments.
        self.libraries = {"rtsound.dll": {"StartPlaySound": 0, "StopPlaySound": 0},
                          "notify.dll": {"NavSoundNotify": 1}}
        self.journal = []
        self.process = None
        self._streams = {}
        self._handles = {}
        self._next_handle = 0x100
        self._mutexes = 0
        self._guide_file_buffer = 0
        self._views = {}
        self._ticks = 1000

    # ---- Loading ----

    def load(self, dll_path, cpu="arm926", stack_alignment=8, missing=()):
        """Loads the DLL into a new process and runs its attach. `missing`
        names stand-ins to leave out, as a head unit without them would."""
        table = self._table()

        def resolve(dll, key):
            if (dll.lower(), key) in missing:
                return None
            return table.get((dll.lower(), key))

        self.process = CeProcess(dll_path, resolve, cpu, stack_alignment)
        self.memory = self.process.memory
        self._guide_file_buffer = self.process.heap.allocate(512)
        return self.process

    def start(self, dll_path, cpu="arm926", stack_alignment=8):
        """Loads the DLL and runs its attach, as a process that loads it
        does; the attach's result (1: loaded)."""
        self.load(dll_path, cpu, stack_alignment)
        return self.process.attach()

    def call(self, name, *args):
        return self.process.call_export(name, *args)

    def packet(self, buffer=None):
        """PTT_Get_DataPacket into `buffer` (by default a new one): its
        result and the packet's bytes."""
        buffer = buffer or self.buffer(PACKET_SIZE)
        result = self.call("PTT_Get_DataPacket", buffer)
        return result, self.memory.read(buffer, PACKET_SIZE)

    def stub(self, function):
        return self.process.stub(function)

    def _table(self):
        coredll = {name[3:]: getattr(self, name) for name in dir(self)
                   if name.startswith("ce_")}
        table = {("coredll.dll", name): f for name, f in coredll.items()}
        table[("pc.dll", 12)] = lambda a: self.platform_code
        table[("norl_meriak.dll", "Meriak_Config_GetOneKeyGuidePlan")] = \
            lambda a: self.guide_plan
        table[("norl_meriak.dll", "Meriak_Config_GetOneKeyGuideFilePath")] = \
            self._guide_file_path
        table[("norl_meriak.dll", 133)] = self._data_directory
        norl = {
            "??0Norl_Thread_Mutex@@QAA@PB_WPAUNorl_mutexattr_t@@@Z": self._mutex_new,
            "??1Norl_Thread_Mutex@@QAA@XZ": self._mutex_delete,
            "?acquire@Norl_Thread_Mutex@@QAAHXZ": self._mutex_acquire,
            "?release@Norl_Thread_Mutex@@QAAHXZ": self._mutex_release,
        }
        for name, f in norl.items():
            table[("norl.dll", name)] = f
        return table

    # ---- Peers ----

    def _guide_file_path(self, a):
        path = self.guide_file or self.data_dir + "\\guide.dat"
        self.memory.write(self._guide_file_buffer, gbk_encode(path)[:511] + b"\0")
        return self._guide_file_buffer

    def _data_directory(self, a):
        # Never more than 256 bytes, terminator included.
        self.memory.write(a[0], gbk_encode(self.data_dir)[:255] + b"\0")

    # The mutex object is the caller's memory, 8 bytes as NORL's header lays
    # it out (our reading of the head unit's class); the constructor returns
    # `this`, as the constructors of both compilers do.
    def _mutex_new(self, a):
        self._mutexes += 1
        self.memory.put_u32(a[0], self._mutexes)
        self.memory.put_u32(a[0] + 4, 0)
        self.journal.append(("mutex-new", a[1], a[2]))
        return a[0]

    def _mutex_delete(self, a):
        self.journal.append(("mutex-delete",))
        return a[0]

    def _mutex_acquire(self, a):
        held = self.memory.u32(a[0] + 4)
        if held:
            raise AssertionError("NORL mutex acquired twice without release")
        self.memory.put_u32(a[0] + 4, 1)
        return 0

    def _mutex_release(self, a):
        self.memory.put_u32(a[0] + 4, 0)
        return 0

    # ---- C runtime ----

    def ce_malloc(self, a):
        return self.process.heap.allocate(a[0])

    def ce_free(self, a):
        self.process.heap.free(a[0])

    def ce_memcpy(self, a):
        if a[2]:
            self.memory.write(a[0], self.memory.read(a[1], a[2]))
        return a[0]

    ce_memmove = ce_memcpy

    def ce_memset(self, a):
        self.memory.write(a[0], bytes([a[1] & 0xFF]) * a[2])
        return a[0]

    def ce_memcmp(self, a):
        x, y = self.memory.read(a[0], a[2]), self.memory.read(a[1], a[2])
        return 0 if x == y else (-1 if x < y else 1)

    def ce_memchr(self, a):
        at = self.memory.read(a[0], a[2]).find(bytes([a[1] & 0xFF]))
        return 0 if at < 0 else a[0] + at

    def ce_strlen(self, a):
        return len(self.memory.cstring(a[0]))

    def ce_strcmp(self, a):
        x, y = self.memory.cstring(a[0]), self.memory.cstring(a[1])
        return 0 if x == y else (-1 if x < y else 1)

    def ce_strncpy(self, a):
        text = self.memory.cstring(a[1])[:a[2]]
        self.memory.write(a[0], text + bytes(a[2] - len(text)))
        return a[0]

    def ce_strtol(self, a):
        # Base 10 only, which is all the library asks for: white space, a
        # sign, digits; the value saturates at the 32-bit long range.
        text = self.memory.cstring(a[0])
        if a[2] != 10:
            raise AssertionError(f"strtol with base {a[2]}")
        i = 0
        while i < len(text) and text[i] in b" \t\n\v\f\r":
            i += 1
        sign = 1
        if i < len(text) and text[i] in b"+-":
            sign = -1 if text[i] == ord("-") else 1
            i += 1
        start = i
        while i < len(text) and 0x30 <= text[i] <= 0x39:
            i += 1
        value = sign * int(text[start:i]) if i > start else 0
        value = max(-(1 << 31), min((1 << 31) - 1, value))
        if a[1]:
            self.memory.put_u32(a[1], a[0] + (i if i > start else 0))
        return value

    def ce__vsnprintf(self, a):
        # %s, %d, %u, %x and %% are all the library's log formats use.
        out, fmt, args = a[0], self.memory.cstring(a[2]), a[3]
        text = bytearray()
        i = 0
        while i < len(fmt):
            if fmt[i] != ord("%") or i + 1 == len(fmt):
                text.append(fmt[i])
                i += 1
                continue
            kind = chr(fmt[i + 1])
            i += 2
            if kind == "%":
                text += b"%"
                continue
            value = self.memory.u32(args)
            args += 4
            if kind == "s":
                text += self.memory.cstring(value)
            elif kind == "d":
                text += str(value - (1 << 32) if value >> 31 else value).encode()
            elif kind == "u":
                text += str(value).encode()
            elif kind == "x":
                text += f"{value:x}".encode()
            else:
                raise AssertionError(f"format %{kind}")
        if len(text) > a[1]:
            self.memory.write(out, text[:a[1]])
            return -1
        self.memory.write(out, text + (b"\0" if len(text) < a[1] else b""))
        return len(text)

    # ---- Files ----

    def _find(self, path):
        for name in self.files:
            if name.lower() == path.lower():
                return name
        return None

    def ce_fopen(self, a):
        path = self.memory.cstring(a[0]).decode("gbk")
        mode = self.memory.cstring(a[1]).decode()
        name = self._find(path)
        self.journal.append(("fopen", path, mode))
        if mode.startswith("r"):
            if name is None:
                return 0
            stream = Stream(name, self.files[name], "+" in mode)
        elif mode.startswith("w"):
            name = name or path
            self.files[name] = b""
            stream = Stream(name, b"", True)
        else:
            raise AssertionError(f"fopen mode {mode}")
        handle = self.process.heap.allocate(32)
        self._streams[handle] = stream
        return handle

    def _stream(self, handle):
        if handle not in self._streams:
            raise AssertionError(f"{handle:#x} is no open stream")
        return self._streams[handle]

    def ce_fread(self, a):
        stream = self._stream(a[3])
        want = a[1] * a[2]
        chunk = bytes(stream.data[stream.position:stream.position + want])
        stream.position += len(chunk)
        self.memory.write(a[0], chunk)
        return len(chunk) // a[1] if a[1] else 0

    def ce_fseek(self, a):
        stream = self._stream(a[0])
        offset = a.signed(1)
        base = {SEEK_SET: 0, SEEK_CUR: stream.position,
                SEEK_END: len(stream.data)}[a[2]]
        if base + offset < 0:
            return -1
        stream.position = base + offset
        return 0

    def ce_ftell(self, a):
        return self._stream(a[0]).position

    def ce_fputs(self, a):
        stream = self._stream(a[1])
        text = self.memory.cstring(a[0])
        stream.data[stream.position:stream.position + len(text)] = text
        stream.position += len(text)
        self.files[stream.path] = bytes(stream.data)
        return 0

    def ce_fflush(self, a):
        return 0

    def ce_fclose(self, a):
        stream = self._streams.pop(a[0])
        if stream.writable:
            self.files[stream.path] = bytes(stream.data)
        self.process.heap.free(a[0])
        self.journal.append(("fclose", stream.path))
        return 0

    # CE's _fileno gives the stream's OS handle, which FlushFileBuffers takes.
    def ce__fileno(self, a):
        self._stream(a[0])
        return a[0] | 0x80000000

    def ce_FlushFileBuffers(self, a):
        self._stream(a[0] & 0x7FFFFFFF)
        self.journal.append(("commit",))
        return 1

    def ce_DeleteFileW(self, a):
        path = self.memory.wstring(a[0])
        name = self._find(path)
        self.journal.append(("delete", path))
        if name is None:
            return 0
        del self.files[name]
        return 1

    # ---- Code pages (936 only: the head units' system code page) ----

    def ce_GetACP(self, a):
        return CODE_PAGE

    def ce_WideCharToMultiByte(self, a):
        code_page, flags, text, units, out, capacity = (a[0], a[1], a[2],
                                                        a.signed(3), a[4], a.signed(5))
        if code_page != CODE_PAGE or flags != 0:
            raise AssertionError(f"WideCharToMultiByte({code_page}, {flags})")
        if units == -1:
            wide = self.memory.wstring(text) + "\0"
        else:
            raw = self.memory.read(text, 2 * units)
            wide = raw.decode("utf-16-le", "surrogatepass")
        # Our reading of a lone surrogate: one default character per unit.
        result = gbk_encode(wide.encode("utf-16-le", "surrogatepass")
                            .decode("utf-16-le", "replace").replace("\ufffd", "?"))
        if capacity == 0:
            return len(result)
        if len(result) > capacity:
            return 0  # ERROR_INSUFFICIENT_BUFFER: all or nothing
        self.memory.write(out, result)
        return len(result)

    def ce_MultiByteToWideChar(self, a):
        code_page, flags, text, count, out, capacity = (a[0], a[1], a[2],
                                                        a.signed(3), a[4], a.signed(5))
        if code_page != CODE_PAGE or flags != 0 or count != -1:
            raise AssertionError(f"MultiByteToWideChar({code_page}, {flags}, {count})")
        wide = (self.memory.cstring(text).decode("gbk", "replace") + "\0")
        raw = wide.encode("utf-16-le")
        if capacity == 0:
            return len(raw) // 2
        if len(raw) // 2 > capacity:
            return 0
        self.memory.write(out, raw)
        return len(raw) // 2

    # ---- Libraries ----

    def ce_LoadLibraryW(self, a):
        name = self.memory.wstring(a[0])
        self.journal.append(("load", name))
        if name.lower() not in self.libraries:
            return 0
        handle = self._new_handle(("library", name.lower()))
        return handle

    def ce_GetProcAddressW(self, a):
        kind, library = self._handles.get(a[0], (None, None))
        if kind != "library":
            raise AssertionError(f"GetProcAddressW on {a[0]:#x}")
        name = self.memory.wstring(a[1])
        if name not in self.libraries[library]:
            return 0

        count = self.libraries[library][name]

        def export(args, library=library, name=name):
            self.journal.append(("call", library, name,
                                 *(args[i] for i in range(count))))
            return 1
        return self.stub(export)

    def ce_FreeLibrary(self, a):
        kind, library = self._handles.pop(a[0])
        self.journal.append(("unload", library))
        return 1

    # ---- Registry ----

    def ce_RegOpenKeyExW(self, a):
        # CE: ulOptions and samDesired are reserved and must be 0.
        if a[2] != 0 or a[3] != 0:
            return ERROR_INVALID_PARAMETER
        if a[0] != HKEY_CURRENT_USER:
            return ERROR_FILE_NOT_FOUND
        subkey = self.memory.wstring(a[1]).lower()
        if not any(k == subkey for k, _ in self.registry):
            return ERROR_FILE_NOT_FOUND
        self.memory.put_u32(a[4], self._new_handle(("key", subkey)))
        return ERROR_SUCCESS

    def ce_RegQueryValueExW(self, a):
        kind, subkey = self._handles[a[0]]
        name = self.memory.wstring(a[1])
        value = self.registry.get((subkey, name))
        if value is None:
            return ERROR_FILE_NOT_FOUND
        size = self.memory.u32(a[5])
        self.memory.put_u32(a[5], len(value))
        if len(value) > size:
            return ERROR_MORE_DATA
        if a[4]:
            self.memory.write(a[4], value)
        return ERROR_SUCCESS

    def ce_RegCloseKey(self, a):
        self._handles.pop(a[0])
        return ERROR_SUCCESS

    # ---- Windows ----

    def _window(self, handle):
        for w in self.windows:
            if w.handle == handle:
                return w
        return None

    def ce_FindWindowW(self, a):
        title = self.memory.wstring(a[1])
        for w in self.windows:
            if w.title == title:
                return w.handle
        return 0

    def ce_SendMessageW(self, a):
        # CE delivers messages sent to HWND_BROADCAST to every top-level
        # window; what such a send returns is our reading (1). A window of
        # this model answers 7, a value a test can tell apart; a send to no
        # window returns 0.
        self.journal.append(("send", a[0], a[1], a[2], a[3]))
        if a[0] == HWND_BROADCAST:
            return 1
        return 7 if self._window(a[0]) else 0

    def ce_GetWindow(self, a):
        if a[1] != 2:
            raise AssertionError(f"GetWindow command {a[1]}")
        handles = [w.handle for w in self.windows]
        if a[0] not in handles:
            return 0
        at = handles.index(a[0]) + 1
        return handles[at] if at < len(handles) else 0

    def ce_IsWindowVisible(self, a):
        w = self._window(a[0])
        return 1 if w and w.visible else 0

    def ce_SetForegroundWindow(self, a):
        self.journal.append(("foreground", a[0]))
        return 1

    def ce_GetDC(self, a):
        return self._new_handle(("dc", a[0]))

    def ce_ReleaseDC(self, a):
        kind, window = self._handles.pop(a[1])
        if kind != "dc" or window != a[0]:
            raise AssertionError("ReleaseDC of another window's context")
        return 1

    def ce_ExtEscape(self, a):
        kind, window = self._handles[a[0]]
        self.journal.append(("escape", window, a[1], a.signed(2), a[3],
                             a.signed(4), a[5]))
        return self.escape_result

    # ---- Kernel objects ----

    def _new_handle(self, what):
        self._next_handle += 4
        self._handles[self._next_handle] = what
        return self._next_handle

    def ce_CreateEventW(self, a):
        name = self.memory.wstring(a[3]) if a[3] else None
        self.journal.append(("event", name, a[1], a[2]))
        return self._new_handle(("event", name))

    def ce_EventModify(self, a):
        kind, name = self._handles[a[0]]
        if kind != "event" or a[1] != 3:  # EVENT_SET
            raise AssertionError(f"EventModify({kind}, {a[1]})")
        self.journal.append(("signal", name))
        return 1

    def ce_CreateFileMappingW(self, a):
        if a[0] != INVALID_HANDLE_VALUE or a[2] != 0x04:
            raise AssertionError("a mapping not backed by the paging file")
        name = self.memory.wstring(a[5])
        self.journal.append(("mapping", name, a[4]))
        return self._new_handle(("mapping", (name, a[4])))

    def ce_MapViewOfFile(self, a):
        kind, (name, size) = self._handles[a[0]]
        if name not in self._views:
            self._views[name] = self.process.heap.allocate(max(size, 4))
        return self._views[name]

    def view(self, name):
        return self._views.get(name)

    def ce_UnmapViewOfFile(self, a):
        self.journal.append(("unmap",))
        return 1

    def ce_CloseHandle(self, a):
        kind, name = self._handles.pop(a[0])
        self.journal.append(("close", kind))
        return 1

    # ---- Time ----

    def ce_GetTickCount(self, a):
        self._ticks += 10
        return self._ticks

    # ---- Helpers for tests ----

    def text(self, value):
        """UTF-16 text placed in guest memory: (address, length in bytes)."""
        raw = value.encode("utf-16-le", "surrogatepass")
        address = self.process.heap.allocate(len(raw) + 2)
        self.memory.write(address, raw + b"\0\0")
        return address, len(raw)

    def buffer(self, size):
        address = self.process.heap.allocate(size)
        self.memory.write(address, bytes(size))
        return address


def packet_fields(raw):
    """A packet's (kind, count, [(longitude, latitude, route, name bytes)])."""
    kind, count = struct.unpack_from("<2I", raw)
    entries = []
    for at in range(8, PACKET_SIZE, 112):
        lon, lat, route = struct.unpack_from("<3i", raw, at)
        entries.append((lon, lat, route, raw[at + 12:at + 112].split(b"\0")[0]))
    return kind, count, entries


def guide_file(body):
    """A plan-1 guide message file: the 4-byte length, then the body."""
    return struct.pack("<I", len(body)) + body
