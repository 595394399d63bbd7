"""Just enough of the Wayland wire protocol to own a virtual keyboard on the test compositor.

A real seat always has a keyboard, with the desktop's layout, from before the first window
opens. Headless sway has none, and GTK treats a keyboard that appears after its window as one
without focus: it sees keys but pastes nothing. `VirtualKeyboard` plays that physical keyboard:
it joins the seat with the standard layout (compiled by libxkbcommon from the default rules)
before any application starts, and types evdev codes when the harness checks itself.

Messages are little-endian words: object id, then size << 16 | opcode, then the arguments;
strings carry their length with the terminating NUL and are padded to four bytes; file
descriptors travel beside the bytes (SCM_RIGHTS).
"""

import ctypes
import os
import socket
import struct
import time

DISPLAY_ID = 1
# Requests and events by opcode, as the protocol files number them.
DISPLAY_SYNC, DISPLAY_GET_REGISTRY = 0, 1
DISPLAY_ERROR = 0
REGISTRY_BIND = 0
REGISTRY_GLOBAL = 0
CALLBACK_DONE = 0
MANAGER_CREATE_VIRTUAL_KEYBOARD = 0
KEYBOARD_KEYMAP, KEYBOARD_KEY, KEYBOARD_MODIFIERS = 0, 1, 2
KEYMAP_FORMAT_XKB_V1 = 1
XKB_KEYMAP_FORMAT_TEXT_V1 = 1


class WaylandError(RuntimeError):
    pass


def standard_keymap():
    """The keymap text of the default rules (evdev, pc105, us unless XKB_DEFAULT_* say else)."""
    xkb = ctypes.CDLL("libxkbcommon.so.0")
    xkb.xkb_context_new.restype = ctypes.c_void_p
    xkb.xkb_keymap_new_from_names.restype = ctypes.c_void_p
    xkb.xkb_keymap_new_from_names.argtypes = (ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int)
    xkb.xkb_keymap_get_as_string.restype = ctypes.c_void_p
    xkb.xkb_keymap_get_as_string.argtypes = (ctypes.c_void_p, ctypes.c_int)
    xkb.xkb_keymap_unref.argtypes = (ctypes.c_void_p,)
    xkb.xkb_context_unref.argtypes = (ctypes.c_void_p,)
    libc = ctypes.CDLL(None)
    libc.free.argtypes = (ctypes.c_void_p,)
    context = xkb.xkb_context_new(0)
    keymap = xkb.xkb_keymap_new_from_names(context, None, 0)
    if not keymap:
        xkb.xkb_context_unref(context)
        raise WaylandError("libxkbcommon could not compile the default keymap")
    text = xkb.xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1)
    try:
        return ctypes.string_at(text)
    finally:
        libc.free(text)
        xkb.xkb_keymap_unref(keymap)
        xkb.xkb_context_unref(context)


def _string(value):
    data = value.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def _read_string(payload, offset):
    (length,) = struct.unpack_from("<I", payload, offset)
    text = payload[offset + 4:offset + 4 + length - 1].decode()
    return text, offset + 4 + length + (-length % 4)


class Connection:
    """A client connection that sends requests and reads events until a roundtrip ends."""

    def __init__(self, socket_path):
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.socket.connect(socket_path)
        self.buffer = b""
        self.next_id = DISPLAY_ID + 1
        self.globals = {}  # interface -> (name, version)
        self.registry = self.new_id()
        self.send(DISPLAY_ID, DISPLAY_GET_REGISTRY, struct.pack("<I", self.registry))
        self.roundtrip()

    def close(self):
        self.socket.close()

    def new_id(self):
        self.next_id += 1
        return self.next_id - 1

    def send(self, object_id, opcode, arguments=b"", fds=()):
        header = struct.pack("<II", object_id, (8 + len(arguments)) << 16 | opcode)
        ancillary = [(socket.SOL_SOCKET, socket.SCM_RIGHTS, struct.pack(f"<{len(fds)}i", *fds))]
        self.socket.sendmsg([header + arguments], ancillary if fds else [])

    def bind(self, interface, version):
        if interface not in self.globals:
            raise WaylandError(f"the compositor offers no {interface}")
        name, offered = self.globals[interface]
        object_id = self.new_id()
        arguments = struct.pack("<I", name) + _string(interface)
        arguments += struct.pack("<II", min(version, offered), object_id)
        self.send(self.registry, REGISTRY_BIND, arguments)
        return object_id

    def roundtrip(self, timeout=5.0):
        """Returns once the compositor has handled every request sent before."""
        callback = self.new_id()
        self.send(DISPLAY_ID, DISPLAY_SYNC, struct.pack("<I", callback))
        self.socket.settimeout(timeout)
        while not self._dispatch_until(callback):
            data = self.socket.recv(65536)
            if not data:
                raise WaylandError("the compositor closed the connection")
            self.buffer += data

    def _dispatch_until(self, callback):
        while len(self.buffer) >= 8:
            object_id, word = struct.unpack_from("<II", self.buffer)
            size, opcode = word >> 16, word & 0xFFFF
            if len(self.buffer) < size:
                return False
            payload, self.buffer = self.buffer[8:size], self.buffer[size:]
            if object_id == DISPLAY_ID and opcode == DISPLAY_ERROR:
                failed, code = struct.unpack_from("<II", payload)
                message, _ = _read_string(payload, 8)
                raise WaylandError(f"protocol error {code} on object {failed}: {message}")
            if object_id == self.registry and opcode == REGISTRY_GLOBAL:
                (name,) = struct.unpack_from("<I", payload)
                interface, offset = _read_string(payload, 4)
                self.globals[interface] = (name, struct.unpack_from("<I", payload, offset)[0])
            if object_id == callback and opcode == CALLBACK_DONE:
                return True
        return False


class VirtualKeyboard:
    """One zwp_virtual_keyboard_v1 with the standard layout; `emit` sends evdev codes.

    The compositor takes a virtual keyboard's keys as they come and leaves its modifier state
    to the client (wlroots does not update it from the keys), so a modifier key also sends the
    new modifier masks, as the keymap's real modifiers number them.
    """

    def __init__(self, socket_path):
        self.connection = Connection(socket_path)
        try:
            seat = self.connection.bind("wl_seat", 1)
            manager = self.connection.bind("zwp_virtual_keyboard_manager_v1", 1)
            self.keyboard = self.connection.new_id()
            self.connection.send(
                manager, MANAGER_CREATE_VIRTUAL_KEYBOARD, struct.pack("<II", seat, self.keyboard)
            )
            self._upload(standard_keymap())
            self.connection.roundtrip()
        except BaseException:
            self.connection.close()
            raise

    def close(self):
        self.connection.close()

    def emit(self, code, pressed):
        timestamp = int(time.monotonic() * 1000) & 0xFFFFFFFF
        arguments = struct.pack("<III", timestamp, code, int(pressed))
        self.connection.send(self.keyboard, KEYBOARD_KEY, arguments)

    def modifiers(self, depressed, locked):
        arguments = struct.pack("<IIII", depressed, 0, locked, 0)  # no latched keys, group 0
        self.connection.send(self.keyboard, KEYBOARD_MODIFIERS, arguments)

    def sync(self):
        self.connection.roundtrip()

    def _upload(self, keymap):
        data = keymap + b"\0"
        fd = os.memfd_create("pastiq-e2e-keymap", os.MFD_CLOEXEC)
        try:
            os.write(fd, data)
            arguments = struct.pack("<II", KEYMAP_FORMAT_XKB_V1, len(data))
            self.connection.send(self.keyboard, KEYBOARD_KEYMAP, arguments, fds=(fd,))
        finally:
            os.close(fd)
