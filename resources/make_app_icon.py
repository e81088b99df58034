"""Draws the application icon: a page of text with blue lines behind a yellow envelope and a
purple pen. Writes app.ico beside this script (32 x 32, 24-bit colour with a 1-bit mask)."""
import os
from imagetools import Canvas, write_ico

WHITE, GREY, BLUE = (255, 255, 255), (96, 96, 96), (40, 80, 220)
YELLOW, DARK_YELLOW = (250, 214, 40), (170, 130, 0)
PURPLE, DARK_PURPLE, NIB = (150, 60, 190), (90, 30, 120), (40, 40, 40)

c = Canvas(32, 32)
# The page, with a folded corner and lines of text.
c.polygon([(3, 1), (19, 1), (24, 6), (24, 26), (3, 26)], WHITE)
c.line(3, 1, 19, 1, GREY)
c.line(3, 1, 3, 26, GREY)
c.line(3, 26, 24, 26, GREY)
c.line(24, 6, 24, 26, GREY)
c.line(19, 1, 24, 6, GREY)
c.line(19, 1, 19, 6, GREY)
c.line(19, 6, 24, 6, GREY)
for y in range(5, 17, 3):
    c.line(6, y, 17 if y < 8 else 21, y, BLUE)
# The envelope in front of the page's lower part.
c.rect(8, 16, 29, 29, YELLOW)
c.frame(8, 16, 29, 29, DARK_YELLOW)
c.line(8, 16, 18, 23, DARK_YELLOW)
c.line(29, 16, 19, 23, DARK_YELLOW)
# The pen across the top right corner, nib towards the envelope.
c.line(30, 2, 20, 12, PURPLE, width=3)
c.line(31, 3, 21, 13, DARK_PURPLE)
c.line(20, 12, 18, 14, NIB, width=2)

size = write_ico(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'app.ico'), c)
assert size == 3240, size
