"""Tiny raster drawing and the classic icon, cursor and bitmap file formats.

The program's pictures are drawn by the scripts beside this file (make_*.py) and written in the
formats the window definitions ask for; no image library is needed.
"""
import struct


class Canvas:
    """A width x height grid of (r, g, b) pixels, None where transparent."""

    def __init__(self, width, height, fill=None):
        self.width, self.height = width, height
        self.px = [[fill for _ in range(width)] for _ in range(height)]

    def set(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = color

    def rect(self, x0, y0, x1, y1, color):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, color)

    def frame(self, x0, y0, x1, y1, color):
        self.line(x0, y0, x1, y0, color)
        self.line(x0, y1, x1, y1, color)
        self.line(x0, y0, x0, y1, color)
        self.line(x1, y0, x1, y1, color)

    def line(self, x0, y0, x1, y1, color, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            for dx in range(width):
                for dy in range(width):
                    self.set(int(round(x)) + dx - width // 2, int(round(y)) + dy - width // 2, color)

    def polygon(self, points, color):
        """Fills a polygon by the even-odd rule, sampling pixel centres."""
        ys = [p[1] for p in points]
        for y in range(max(0, int(min(ys))), min(self.height, int(max(ys)) + 1)):
            cy = y + 0.5
            xs = []
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay <= cy < by) or (by <= cy < ay):
                    xs.append(ax + (cy - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.set(x, y, color)

    def disc(self, cx, cy, r, color):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.set(x, y, color)

    def ring(self, cx, cy, r_out, r_in, color):
        for y in range(int(cy - r_out) - 1, int(cy + r_out) + 2):
            for x in range(int(cx - r_out) - 1, int(cx + r_out) + 2):
                d = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                if r_in * r_in <= d <= r_out * r_out:
                    self.set(x, y, color)


def _row_pad(n):
    return (4 - n % 4) % 4


def _bgr_rows(canvas, background=(0, 0, 0)):
    """24-bit pixel rows, bottom-up, each padded to four bytes."""
    out = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        for x in range(canvas.width):
            c = canvas.px[y][x] or background
            out += bytes((c[2], c[1], c[0]))
        out += bytes(_row_pad(canvas.width * 3))
    return bytes(out)


def _mask_rows(canvas):
    """1-bit AND mask rows, bottom-up, padded to four bytes: 1 where transparent."""
    out = bytearray()
    row_bytes = (canvas.width + 31) // 32 * 4
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(canvas.width):
            if canvas.px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_image(canvas):
    """The image data of one icon entry: header, 24-bit colour, 1-bit mask."""
    header = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height * 2, 1, 24, 0,
                         0, 0, 0, 0, 0)
    return header + _bgr_rows(canvas) + _mask_rows(canvas)


def write_ico(path, canvas, kind=1, hotspot=(0, 0)):
    """A one-image .ico (kind 1) or .cur (kind 2, with its hot spot)."""
    image = icon_image(canvas) if kind == 1 else cursor_image(canvas)
    planes, bits = (1, 24) if kind == 1 else hotspot
    entry = struct.pack('<BBBBHHII', canvas.width % 256, canvas.height % 256, 0, 0,
                        planes, bits, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, kind, 1) + entry + image)
    return len(image)


def cursor_image(canvas):
    """A monochrome cursor image: black (0,0,0) and white pixels, None transparent."""
    header = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height * 2, 1, 1, 0,
                         0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    row_bytes = (canvas.width + 31) // 32 * 4
    xor = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(canvas.width):
            c = canvas.px[y][x]
            if c is not None and c != (0, 0, 0):
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    return header + palette + bytes(xor) + _mask_rows(canvas)


def write_bmp24(path, canvas, background=(255, 255, 255)):
    pixels = _bgr_rows(canvas, background)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 24, 0,
                       len(pixels), 3780, 3780, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + pixels)
    return 14 + len(info) + len(pixels)


def write_bmp16(path, canvas, background=(255, 255, 255)):
    """16 bits a pixel, 5-5-5, uncompressed (BI_RGB), bottom-up."""
    out = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        for x in range(canvas.width):
            r, g, b = canvas.px[y][x] or background
            out += struct.pack('<H', ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
        out += bytes(_row_pad(canvas.width * 2))
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 16, 0,
                       len(out), 3780, 3780, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(out), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + bytes(out))
