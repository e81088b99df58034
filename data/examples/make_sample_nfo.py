"""Writes glimmer.nfo: a release-style information file in code page 437 with block letters,
a double-line box and shading, CR LF line ends and a DOS end-of-file byte, as such files were
made. Used by the screenshot script and the end-to-end tests."""
import os

FULL, TOP, BOTTOM = '\u2588', '\u2580', '\u2584'
LIGHT, MEDIUM, DARK = '\u2591', '\u2592', '\u2593'

# Block letters, five rows each, drawn with full blocks.
LETTERS = {
    'G': [' ####', '#    ', '# ###', '#   #', ' ####'],
    'L': ['#    ', '#    ', '#    ', '#    ', '#####'],
    'I': ['###', ' # ', ' # ', ' # ', '###'],
    'M': ['#   #', '## ##', '# # #', '#   #', '#   #'],
    'E': ['#####', '#    ', '#### ', '#    ', '#####'],
    'R': ['#### ', '#   #', '#### ', '#  # ', '#   #'],
}


def banner(word):
    rows = []
    for r in range(5):
        rows.append('  '.join(LETTERS[c][r] for c in word).replace('#', FULL))
    return rows


def boxed(lines, width=66):
    out = ['\u2554' + '\u2550' * width + '\u2557']
    for line in lines:
        out.append('\u2551' + line.center(width) + '\u2551')
    out.append('\u255a' + '\u2550' * width + '\u255d')
    return out


lines = []
lines.append((LIGHT + MEDIUM + DARK + FULL) * 18)
lines += ['      ' + row for row in banner('GLIMMER')]
lines.append((FULL + DARK + MEDIUM + LIGHT) * 18)
lines.append('')
lines += boxed(['', 'G L I M M E R   v1.0', '', 'a viewer for text documents',
                'nfo \u00b7 diz \u00b7 txt \u00b7 bat \u00b7 reg \u00b7 rtf', ''])
lines.append('')
lines.append(' \u250c\u2500 Release notes ' + '\u2500' * 50 + '\u2510')
for note in ['Every occurrence of a word turns red and bold at once.',
             'Box and block art is drawn as on a DOS screen.',
             'Plain text, RTF text and DOS text alike.',
             'Glyphs below space: \u263a \u263b \u2665 \u2666 \u2663 \u2660 \u2022 \u25d8 \u2302']:
    lines.append(' \u2502 ' + note.ljust(64) + ' \u2502')
lines.append(' \u2514' + '\u2500' * 66 + '\u2518')

# The DOS glyphs of the control bytes, which Python's code page 437 leaves as controls.
LOW_GLYPHS = {'\u263a': 1, '\u263b': 2, '\u2665': 3, '\u2666': 4, '\u2663': 5, '\u2660': 6,
              '\u2022': 7, '\u25d8': 8, '\u2302': 0x7f}
text = '\r\n'.join(lines) + '\r\n'
data = b''.join(bytes([LOW_GLYPHS[c]]) if c in LOW_GLYPHS else c.encode('cp437') for c in text)
data += b'\x1a'
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'glimmer.nfo'), 'wb') as f:
    f.write(data)
