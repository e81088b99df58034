"""Draws the find dialog's magnifying glass: a silver rim round a pale blue lens, a brown handle
towards the lower right. Writes beside this script
  find.ico   - the dialog's icon, 32 x 32, 24-bit colour with a 1-bit mask;
  search.bmp - the Search button's picture, 32 x 32, 16 bits a pixel (5-5-5), bottom-up, on white.
"""
import os
from imagetools import Canvas, write_ico, write_bmp16

LENS, LENS_SHINE = (190, 225, 250), (240, 250, 255)
RIM_DARK, RIM, RIM_LIGHT = (110, 110, 120), (192, 192, 200), (235, 235, 240)
HANDLE, HANDLE_DARK, HANDLE_LIGHT = (140, 80, 30), (90, 50, 15), (185, 120, 60)


def glass():
    c = Canvas(32, 32)
    cx, cy = 12.5, 12.5
    # The handle first, so the rim covers its upper end.
    c.line(20, 20, 28, 28, HANDLE_DARK, width=5)
    c.line(20, 20, 28, 28, HANDLE, width=3)
    c.line(20, 19, 28, 27, HANDLE_LIGHT)
    # The rim: a dark outline, the silver band, a highlight on its upper left.
    c.disc(cx, cy, 10.7, RIM_DARK)
    c.disc(cx, cy, 9.7, RIM)
    c.ring(cx - 0.5, cy - 0.5, 9.2, 8.2, RIM_LIGHT)
    c.disc(cx, cy, 7.7, RIM_DARK)
    # The lens with a small reflection.
    c.disc(cx, cy, 6.8, LENS)
    c.disc(cx - 3, cy - 3, 2, LENS_SHINE)
    return c


here = os.path.dirname(os.path.abspath(__file__))
picture = glass()
size = write_ico(os.path.join(here, 'find.ico'), picture)
assert size == 40 + 32 * 32 * 3 + 32 * 4, size
write_bmp16(os.path.join(here, 'search.bmp'), picture)
assert os.path.getsize(os.path.join(here, 'search.bmp')) == 14 + 40 + 32 * 32 * 2
