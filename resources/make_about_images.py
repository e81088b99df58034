"""Draws the About box's pictures and writes them beside this script:
about.ico  the dialog's icon, a person in a white coat (32 x 32, 24-bit colour, 1-bit mask);
logo.bmp   the maker's logo, a cut gem with sparkles on a night-blue ground (200 x 141,
           uncompressed 24-bit);
hand.cur   the link pointer, a white hand with a black outline, index finger up (32 x 32,
           monochrome, hot spot at the finger tip, column 7, row 1)."""
import os
from imagetools import Canvas, write_ico, write_bmp24

HERE = os.path.dirname(os.path.abspath(__file__))
BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def person():
    skin, hair, coat, shade = (240, 196, 160), (90, 55, 30), (250, 250, 250), (150, 160, 175)
    shirt, tie, steth = (120, 170, 230), (190, 30, 40), (60, 60, 70)
    c = Canvas(32, 32)
    # The coat: shoulders down to the bottom edge, outlined so it shows on light ground.
    c.polygon([(5, 31), (6, 21), (9, 17), (13, 16), (19, 16), (23, 17), (26, 21), (27, 31)], coat)
    c.line(5, 31, 6, 21, shade)
    c.line(6, 21, 9, 17, shade)
    c.line(9, 17, 13, 16, shade)
    c.line(19, 16, 23, 17, shade)
    c.line(23, 17, 26, 21, shade)
    c.line(26, 21, 27, 31, shade)
    # Shirt and tie in the open collar, lapels either side.
    c.polygon([(13, 16), (19, 16), (16, 24)], shirt)
    c.polygon([(15, 17), (17, 17), (17, 22), (16, 24), (15, 22)], tie)
    c.line(13, 16, 16, 25, shade)
    c.line(19, 16, 16, 25, shade)
    c.line(16, 25, 16, 31, shade)
    # A stethoscope round the neck, a pocket with a pen.
    c.line(11, 18, 11, 24, steth)
    c.line(21, 18, 21, 24, steth)
    c.disc(11, 25, 1.5, steth)
    c.rect(19, 26, 23, 26, shade)
    c.line(20, 23, 20, 26, (40, 80, 200))
    c.line(10, 31, 10, 28, shade)
    c.line(22, 31, 22, 28, shade)
    # Neck, head and hair.
    c.rect(14, 13, 18, 16, skin)
    c.disc(16, 8.5, 5.5, skin)
    c.polygon([(10, 8), (11, 4), (14, 2), (19, 2), (22, 5), (22, 8), (20, 6), (13, 6)], hair)
    c.set(14, 9, BLACK)
    c.set(18, 9, BLACK)
    c.line(15, 12, 17, 12, (170, 90, 80))
    return c


def logo():
    w, h = 200, 141
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = y / (h - 1)
            c.set(x, y, (int(10 + 20 * t), int(20 + 30 * t), int(60 + 70 * t)))
    # The gem: a crown of facets over a pointed pavilion.
    cx, top, girdle, tip = 100, 28, 58, 122
    light, mid, dark, deep = (170, 235, 255), (90, 190, 240), (40, 120, 200), (20, 70, 150)
    c.polygon([(cx - 40, girdle), (cx - 26, top), (cx + 26, top), (cx + 40, girdle)], mid)
    c.polygon([(cx - 26, top), (cx - 10, top), (cx - 18, girdle)], light)
    c.polygon([(cx - 10, top), (cx + 10, top), (cx, girdle)], (130, 215, 250))
    c.polygon([(cx + 10, top), (cx + 26, top), (cx + 18, girdle)], light)
    c.polygon([(cx - 40, girdle), (cx + 40, girdle), (cx, tip)], dark)
    c.polygon([(cx - 18, girdle), (cx, girdle), (cx, tip)], deep)
    c.polygon([(cx + 18, girdle), (cx + 40, girdle), (cx, tip)], (60, 150, 220))
    for a, b in [((cx - 40, girdle), (cx - 26, top)), ((cx - 26, top), (cx + 26, top)),
                 ((cx + 26, top), (cx + 40, girdle)), ((cx - 40, girdle), (cx + 40, girdle)),
                 ((cx - 40, girdle), (cx, tip)), ((cx + 40, girdle), (cx, tip)),
                 ((cx - 18, girdle), (cx, tip)), ((cx + 18, girdle), (cx, tip)),
                 ((cx - 26, top), (cx - 18, girdle)), ((cx + 26, top), (cx + 18, girdle)),
                 ((cx - 10, top), (cx, girdle)), ((cx + 10, top), (cx, girdle))]:
        c.line(a[0], a[1], b[0], b[1], WHITE)
    # Sparkles: four-pointed stars.
    for sx, sy, r in [(48, 30, 9), (156, 46, 12), (140, 112, 7), (60, 100, 6), (120, 18, 5)]:
        c.line(sx - r, sy, sx + r, sy, (255, 250, 200))
        c.line(sx, sy - r, sx, sy + r, (255, 250, 200))
        c.disc(sx, sy, max(1.5, r / 5), WHITE)
    # A glimmer of light along the bottom.
    for x in range(20, 180):
        c.set(x, 132, (200, 220, 255) if x % 4 else WHITE)
    return c


def hand():
    # The white inside of the hand; the black outline is every pixel that touches it.
    fill = set()

    def block(x0, y0, x1, y1):
        fill.update((x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1))

    fill.add((7, 2))  # the finger tip
    block(6, 3, 8, 14)  # index finger, pointing up
    block(10, 8, 12, 14)  # middle finger
    block(14, 9, 16, 14)  # ring finger
    block(18, 10, 19, 14)  # little finger
    block(6, 15, 19, 21)  # palm
    block(7, 22, 18, 23)
    for i in range(5):  # thumb, reaching up and out to the left
        block(5 - i // 2, 14 + i, 6, 15 + i)
    block(8, 25, 17, 28)  # cuff
    c = Canvas(32, 32)
    for (x, y) in fill:
        c.set(x, y, WHITE)
    for y in range(32):
        for x in range(32):
            if (x, y) in fill:
                continue
            if any((x + dx, y + dy) in fill for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                c.set(x, y, BLACK)
    assert c.px[1][7] == BLACK and c.px[0][7] is None and c.px[2][7] == WHITE
    return c


write_ico(os.path.join(HERE, 'about.ico'), person())
size = write_bmp24(os.path.join(HERE, 'logo.bmp'), logo())
assert size == 84654, size
write_ico(os.path.join(HERE, 'hand.cur'), hand(), kind=2, hotspot=(7, 1))
