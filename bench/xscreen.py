"""Fast looks at an X display and fake mouse clicks, through Xlib itself (ctypes), for timings
that a screenshot command is too slow for: a grab of a small box takes well under a millisecond.
"""

import ctypes
import ctypes.util
import hashlib


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p),
                # create_image, destroy_image, get_pixel, put_pixel, sub_image, add_pixel
                ("funcs", ctypes.c_void_p * 6)]


_ALL_PLANES = ctypes.c_ulong(~0 & 0xFFFFFFFFFFFFFFFF)
_Z_PIXMAP = 2
_DESTROY = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(_XImage))


def _library(name):
    path = ctypes.util.find_library(name)
    if path is None:
        raise OSError(f"lib{name} is not installed")
    return ctypes.CDLL(path)


class Display:
    """One connection to an X display. Use as a context manager."""

    def __init__(self, name):
        self._x = _library("X11")
        self._xtst = _library("Xtst")
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x.XDefaultRootWindow.restype = ctypes.c_ulong
        self._x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self._x.XGetImage.restype = ctypes.POINTER(_XImage)
        self._x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self._x.XFlush.argtypes = [ctypes.c_void_p]
        self._x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self._x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                    ctypes.c_ulong]
        self._xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                    ctypes.c_int, ctypes.c_ulong]
        self._display = self._x.XOpenDisplay(name.encode())
        if not self._display:
            raise OSError(f"cannot open X display {name}")
        self._root = self._x.XDefaultRootWindow(self._display)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        if self._display:
            self._x.XCloseDisplay(self._display)
            self._display = None

    def grab(self, box):
        """The raw pixels of the box (x, y, width, height) as bytes."""
        x, y, w, h = box
        image = self._x.XGetImage(self._display, self._root, x, y, w, h, _ALL_PLANES, _Z_PIXMAP)
        if not image:
            raise OSError(f"XGetImage of {box} failed")
        try:
            return ctypes.string_at(image.contents.data, image.contents.bytes_per_line * h)
        finally:
            _DESTROY(image.contents.funcs[1])(image)

    def fingerprint(self, box):
        return hashlib.blake2b(self.grab(box), digest_size=16).digest()

    def move(self, x, y):
        self._xtst.XTestFakeMotionEvent(self._display, -1, x, y, 0)
        self._x.XSync(self._display, 0)

    def click(self, button=1):
        """Presses and releases the button where the pointer is; returns once X has both."""
        self._xtst.XTestFakeButtonEvent(self._display, button, 1, 0)
        self._xtst.XTestFakeButtonEvent(self._display, button, 0, 0)
        self._x.XSync(self._display, 0)
