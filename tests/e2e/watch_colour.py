#!/usr/bin/env python3
"""Watches a box of the X screen for pixels of one colour family.

    watch_colour.py W H X Y RMIN RMAX GMIN GMAX BMIN BMAX COUNT SECONDS [SHOT.ppm]

Reads the box straight from the X server (XGetSubImage through libX11) about
a hundred times a second and exits 0 as soon as at least COUNT of its pixels
have every channel (0..255) within its bounds, 1 when SECONDS pass first, 2
when the display cannot be read. It prints the most pixels seen and when.
With SHOT, the whole screen as it was when the colour showed is written there.

A screenshot tool started in a poll takes a tenth of a second or more on a
loaded machine, and then the picture is compared; something that shows for
two frames (66 ms at 30 frames a second) slips between such looks. This
reads the box alone, in-process, and counts in C.
"""
import ctypes
import ctypes.util
import sys
import time


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as the pixel layout.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
        ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


Z_PIXMAP = 2
ALL_PLANES = ctypes.c_ulong(-1).value


def channel_table(low, high):
    """A translation table: 1 for a byte within [low, high], else 0."""
    return bytes(1 if low <= v <= high else 0 for v in range(256))


class Screen:
    def __init__(self):
        x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
        x11.XDefaultVisual.restype = ctypes.c_void_p
        x11.XDefaultVisual.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XDefaultDepth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCreateImage.restype = ctypes.POINTER(XImage)
        x11.XCreateImage.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                     ctypes.c_int, ctypes.c_char_p, ctypes.c_uint, ctypes.c_uint,
                                     ctypes.c_int, ctypes.c_int]
        x11.XGetSubImage.restype = ctypes.c_void_p
        x11.XGetSubImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int,
                                     ctypes.POINTER(XImage), ctypes.c_int, ctypes.c_int]
        x11.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11 = x11
        self.display = x11.XOpenDisplay(None)
        if not self.display:
            raise OSError("no X display")
        screen = x11.XDefaultScreen(self.display)
        self.root = x11.XDefaultRootWindow(self.display)
        self.visual = x11.XDefaultVisual(self.display, screen)
        self.depth = x11.XDefaultDepth(self.display, screen)
        self.size = (x11.XDisplayWidth(self.display, screen), x11.XDisplayHeight(self.display, screen))
        if self.depth not in (24, 32):
            raise OSError("a %d-bit screen" % self.depth)

    def image(self, width, height):
        """An image of 32-bit pixels whose buffer the reads below fill."""
        buffer = ctypes.create_string_buffer(width * height * 4)
        image = self.x11.XCreateImage(self.display, self.visual, self.depth, Z_PIXMAP, 0, buffer,
                                      width, height, 32, width * 4)
        if not image or image.contents.bits_per_pixel != 32:
            raise OSError("no 32-bit image")
        return image, buffer

    def read(self, image, buffer, x, y, width, height):
        """The box's pixels as bytes B, G, R, X (the server's LSB-first order
        is asked for by the image itself)."""
        if not self.x11.XGetSubImage(self.display, self.root, x, y, width, height, ALL_PLANES,
                                     Z_PIXMAP, image, 0, 0):
            return None
        return buffer.raw

    def shot(self, path):
        width, height = self.size
        image, buffer = self.image(width, height)
        pixels = self.read(image, buffer, 0, 0, width, height)
        if pixels is None:
            return
        rgb = bytearray(width * height * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = pixels[2::4], pixels[1::4], pixels[0::4]
        with open(path, "wb") as out:
            out.write(b"P6\n%d %d\n255\n" % (width, height) + bytes(rgb))


def main(argv):
    if len(argv) not in (13, 14):
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    width, height, x, y, rmin, rmax, gmin, gmax, bmin, bmax, count = (int(a) for a in argv[1:12])
    seconds = float(argv[12])
    shot = argv[13] if len(argv) == 14 else None
    try:
        screen = Screen()
        image, buffer = screen.image(width, height)
    except OSError as error:
        print("watch_colour: %s" % error, file=sys.stderr)
        return 2
    tables = (channel_table(bmin, bmax), channel_table(gmin, gmax), channel_table(rmin, rmax))
    started = time.monotonic()
    most, most_at = 0, 0.0
    while True:
        pixels = screen.read(image, buffer, x, y, width, height)
        now = time.monotonic() - started
        if pixels is not None:
            # One byte of 0 or 1 a pixel for each channel; a pixel counts
            # when all three are 1.
            match = -1
            for offset, table in enumerate(tables):
                match &= int.from_bytes(pixels[offset::4].translate(table), "little")
            seen = bin(match).count("1")
            if seen > most:
                most, most_at = seen, now
            if seen >= count:
                if shot:
                    screen.shot(shot)
                print("%d pixels at %.2f s" % (seen, now))
                return 0
        if now >= seconds:
            print("at most %d pixels (at %.2f s) in %.0f s" % (most, most_at, seconds))
            return 1
        time.sleep(0.01)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
