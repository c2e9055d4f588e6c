"""Key pictures: ivory white keys with cut-outs for the black keys, and
glossy black keys, each a strip of two frames (at rest above, pressed)."""
import layout as L
from svgtools import document, render

WHITE_NAMES = ["C", "D", "E", "F", "G", "A", "B"]
BLACK_NAMES = {1: "Cs", 3: "Ds", 6: "Fs", 8: "Gs", 10: "As"}
CUT_ROWS = L.BLACK_KEY_H + 1          # one row of gap below each black key


def cutouts(index):
    """The x spans (in key pixels) that black keys cover on white key index."""
    left = index * L.WHITE_KEY_W
    right = left + L.WHITE_KEY_W
    spans = []
    for off in L.BLACK_KEY_OFFSETS.values():
        a, b = max(left, off), min(right, off + L.BLACK_KEY_W)
        if a < b:
            spans.append((a - left, b - left))
    # the next octave's C sharp never reaches into B, but keep the rule general
    return spans


def white_outline(spans):
    """Path of the key's top surface: full width in front, narrowed at the back."""
    w, h = L.WHITE_KEY_W, L.WHITE_KEY_H
    x0, x1 = 0, w
    for a, b in spans:
        if a == 0:
            x0 = b
        if b == w:
            x1 = a
    return (f'M{x0},0 H{x1} V{CUT_ROWS} H{w} V{h} H0 V{CUT_ROWS} H{x0} Z', x0, x1)


def white_frame(spans, pressed, fill_cutouts):
    w, h = L.WHITE_KEY_W, L.WHITE_KEY_H
    path, x0, x1 = white_outline(spans)
    front = 240 if not pressed else 246        # the key's front face starts here
    body = ""
    if fill_cutouts:
        body += f'<rect width="{w}" height="{h}" fill="#000"/>'
    body += (
        f'<clipPath id="k"><path d="{path}"/></clipPath><g clip-path="url(#k)">'
        f'<rect width="{w}" height="{h}" fill="url(#ivory)"/>'
        # shade where the key runs under the panel lip; deeper when pressed
        f'<rect width="{w}" height="{40 if pressed else 26}" fill="url(#under)"/>'
        # the narrow back of the key lies deeper in the shadow of the black keys
        f'<rect width="{w}" height="{h}" fill="url(#depth)" opacity="{1.0 if pressed else 0.6}"/>'
        f'<rect y="{front}" width="{w}" height="{h - front}" fill="url(#front)"/>'
        f'<path d="M0,{front + 0.5} H{w}" stroke="#fffdf4" stroke-opacity="0.9"/>'
        f'<rect x="0" width="1" height="{h}" fill="#9a958a"/>'
        f'<rect x="{w - 1.2}" width="1.2" height="{h}" fill="#3a3833"/>'
        f'<rect x="{w - 2.6}" width="1.4" height="{h}" fill="#000" opacity="0.12"/>'
        f'<rect x="1" width="1.2" height="{h}" fill="#fff" opacity="0.45"/>'
        + (f'<rect width="{w}" height="{h}" fill="#201a10" opacity="0.05"/>'
           # the neighbours, now standing higher, shade the key's edges
           f'<rect x="0" width="4" height="{h}" fill="url(#sideL)"/>'
           f'<rect x="{w - 4}" width="4" height="{h}" fill="url(#sideR)"/>' if pressed else "") +
        '</g>')
    # edges of the cut-outs: the black keys' shadow on the ivory beside them
    for a, b in spans:
        if a == 0:
            body += f'<rect x="{b}" y="0" width="2.5" height="{CUT_ROWS}" fill="url(#sideL)"/>'
        if b == w:
            body += f'<rect x="{a - 2.5}" y="0" width="2.5" height="{CUT_ROWS}" fill="url(#sideR)"/>'
        body += (f'<rect x="{a if a else 0}" y="{CUT_ROWS}" width="{(b - a)}" height="3" '
                 f'fill="#000" opacity="0.22"/>')
    return body


WHITE_DEFS = (
    '<linearGradient id="depth" x1="0" y1="0" x2="0" y2="1">'
    '<stop offset="0" stop-color="#000" stop-opacity="0.10"/><stop offset="0.75" stop-color="#000" stop-opacity="0"/></linearGradient>'
    '<linearGradient id="ivory" x1="0" y1="0" x2="0" y2="1">'
    '<stop offset="0" stop-color="#e9e2cf"/><stop offset="0.6" stop-color="#f6f1e2"/>'
    '<stop offset="1" stop-color="#fbf8ee"/></linearGradient>'
    '<linearGradient id="under" x1="0" y1="0" x2="0" y2="1">'
    '<stop offset="0" stop-color="#000" stop-opacity="0.85"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>'
    '<linearGradient id="front" x1="0" y1="0" x2="0" y2="1">'
    '<stop offset="0" stop-color="#e2dbc8"/><stop offset="0.7" stop-color="#cfc7b2"/>'
    '<stop offset="1" stop-color="#8d8675"/></linearGradient>'
    '<linearGradient id="sideL" x1="0" y1="0" x2="1" y2="0">'
    '<stop offset="0" stop-color="#000" stop-opacity="0.35"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>'
    '<linearGradient id="sideR" x1="1" y1="0" x2="0" y2="0">'
    '<stop offset="0" stop-color="#000" stop-opacity="0.35"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>'
)


def white_key(index, alpha, last=False):
    """Two frames of a white key; index 0..6 is C..B within the octave."""
    w, h = L.WHITE_KEY_W, L.WHITE_KEY_H
    spans = [] if last else cutouts(index)
    if last:
        spans = [s for s in cutouts(0) if s[0] == 0]   # nothing: C has no black key left
    frames = []
    for pressed in (False, True):
        body = white_frame(spans, pressed, fill_cutouts=not alpha)
        frames.append(render(document(w, h, body, WHITE_DEFS), w, h))
    return frames


def black_key():
    w, h = L.BLACK_KEY_W, L.BLACK_KEY_H
    frames = []
    for pressed in (False, True):
        # The pressed frame is shown from its second row on and sinks a
        # little, so its key ends two rows earlier.
        fh = h - 3 if pressed else h - 1
        front = fh - (9 if pressed else 15)
        body = (
            f'<rect width="{w}" height="{fh}" fill="#000"/>'
            # the key's flanks, seen slightly from above
            f'<rect x="1" width="{w - 2}" height="{fh - 1}" rx="1.5" fill="url(#flank)"/>'
            # top surface, narrower than the base, with a soft sheen
            f'<rect x="4" y="0" width="{w - 8}" height="{front}" rx="1.5" fill="url(#topface)"/>'
            f'<rect x="6.5" y="{20 if not pressed else 28}" width="3" height="{front - 30}" rx="1.5" '
            f'fill="#fff" opacity="{0.16 if not pressed else 0.10}"/>'
            # sloped front face catching light from the room
            f'<path d="M4,{front} H{w - 4} L{w - 1.5},{fh - 1.5} H1.5 Z" fill="url(#slope)"/>'
            f'<rect width="{w}" height="{30 if pressed else 18}" fill="url(#deep)"/>'
        )
        defs = ('<linearGradient id="flank" x1="0" y1="0" x2="1" y2="0">'
                '<stop offset="0" stop-color="#2a2a2c"/><stop offset="0.5" stop-color="#111112"/>'
                '<stop offset="1" stop-color="#050505"/></linearGradient>'
                '<linearGradient id="topface" x1="0" y1="0" x2="1" y2="0">'
                '<stop offset="0" stop-color="#2c2c2f"/><stop offset="0.4" stop-color="#1b1b1d"/>'
                '<stop offset="1" stop-color="#0f0f10"/></linearGradient>'
                '<linearGradient id="slope" x1="0" y1="0" x2="0" y2="1">'
                f'<stop offset="0" stop-color="{"#4a4a4e" if not pressed else "#36363a"}"/>'
                '<stop offset="1" stop-color="#151516"/></linearGradient>'
                '<linearGradient id="deep" x1="0" y1="0" x2="0" y2="1">'
                '<stop offset="0" stop-color="#000" stop-opacity="0.9"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>')
        body = f'<rect width="{w}" height="{h}" fill="#000"/>' + body
        frames.append(render(document(w, h, body, defs), w, h))
    return frames
