"""The header bar with its buttons, the cables strip, the rear view for the
about screen and the application icon."""
from PIL import Image, ImageFilter

import layout as L
import textures as T
from panel import screw
from svgtools import CREAM, TITLE_FONT, document, image_tag, render, text

BAR_EDGE = 104          # rows below this fade out into a shadow over the panel


def header_mask():
    w, h = L.PANEL_W, L.HEADER_MASK_ROWS
    bar = T.vinyl(w, BAR_EDGE, seed=21, base=(17, 16, 16))
    bx0, bx1 = L.EDIT_BUTTON[0] + L.EDIT_BUTTON[2] + 14, L.HELP_BUTTON[0] - 14
    by0, by1 = 13, 53
    body = (
        image_tag(bar, 0, 0) +
        f'<rect width="{w}" height="{BAR_EDGE}" fill="url(#barshade)"/>'
        # chrome beading along the bar's lower edge and its shadow on the panel
        f'<rect y="{BAR_EDGE - 3}" width="{w}" height="3" fill="url(#bead)"/>'
        f'<rect y="{BAR_EDGE}" width="{w}" height="{h - BAR_EDGE}" fill="url(#cast)"/>'
        # the edition box, screen-printed in cream
        f'<rect x="{bx0}" y="{by0}" width="{bx1 - bx0}" height="{by1 - by0}" rx="7" '
        f'fill="#0a0a0a" stroke="{CREAM}" stroke-width="1.2" stroke-opacity="0.9"/>' +
        text((bx0 + bx1) / 2, by0 + 17, "FREE EDITION", 11.5, family=TITLE_FONT, spacing=1.6) +
        text((bx0 + bx1) / 2, by0 + 32, "FOR LINUX", 10, family=TITLE_FONT, spacing=2.6,
             fill="#d9822b")
    )
    defs = ('<linearGradient id="barshade" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#000" stop-opacity="0.35"/><stop offset="0.5" stop-color="#000" stop-opacity="0"/>'
            '<stop offset="1" stop-color="#fff" stop-opacity="0.03"/></linearGradient>'
            '<linearGradient id="bead" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#f0f0ee"/><stop offset="0.5" stop-color="#9a9a97"/>'
            '<stop offset="1" stop-color="#3c3c3a"/></linearGradient>'
            '<linearGradient id="cast" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#000" stop-opacity="0.75"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>')
    return render(document(w, h, body, defs), w, h)


def header_button(mask, bounds, word):
    """Two frames of a header button over an opaque crop of the header bar."""
    x, y, w, h = bounds
    ground = mask.crop((x, y, x + w, y + h)).convert("RGB")
    frames = []
    for pressed in (False, True):
        d = 1 if pressed else 0
        body = (
            f'<rect x="2" y="{3 + d}" width="{w - 4}" height="{h - 5}" rx="5" fill="#000" opacity="0.8" filter="url(#blur)"/>'
            f'<rect x="2" y="{2 + d}" width="{w - 4}" height="{h - 5}" rx="5" fill="url(#body)"/>'
            f'<rect x="2.5" y="{2.5 + d}" width="{w - 5}" height="{h - 6}" rx="4.5" fill="none" '
            f'stroke="#fff" stroke-opacity="{0.18 if pressed else 0.35}"/>' +
            text(w / 2, h / 2 + 5 + d, word, 15, family=TITLE_FONT, spacing=2.5,
                 fill="#d9822b" if pressed else CREAM)
        )
        top, bottom = ("#2a2928", "#1a1918") if pressed else ("#4a4845", "#242322")
        defs = (f'<linearGradient id="body" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="{top}"/>'
                f'<stop offset="1" stop-color="{bottom}"/></linearGradient>'
                '<filter id="blur" x="-10%" y="-20%" width="120%" height="140%"><feGaussianBlur stdDeviation="1.2"/></filter>')
        art = render(document(w, h, body, defs), w, h)
        f = ground.convert("RGBA")
        f.alpha_composite(art)
        frames.append(f.convert("RGB"))
    return frames


def cables_mask():
    """The top of the wooden key slip, darkening as it runs out of the window."""
    w, h = L.PANEL_W, 15
    from panel import CHEEK_W
    body = (
        f'<rect x="{CHEEK_W}" y="0" width="{w - 2 * CHEEK_W}" height="{h}" fill="url(#rail)"/>'
        f'<path d="M{CHEEK_W},0.5 H{w - CHEEK_W}" stroke="#000" stroke-opacity="0.9"/>'
        f'<path d="M{CHEEK_W},1.5 H{w - CHEEK_W}" stroke="#b88a60" stroke-opacity="0.55"/>'
        f'<rect x="0" y="0" width="{CHEEK_W}" height="{h}" fill="url(#fade)"/>'
        f'<rect x="{w - CHEEK_W}" y="0" width="{CHEEK_W}" height="{h}" fill="url(#fade)"/>'
    )
    defs = ('<linearGradient id="rail" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#2a1a10"/><stop offset="1" stop-color="#0c0806"/></linearGradient>'
            '<linearGradient id="fade" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#000" stop-opacity="0.1"/><stop offset="1" stop-color="#000" stop-opacity="0.8"/></linearGradient>')
    return render(document(w, h, body, defs), w, h)


def jack(cx, cy, label, size=1.0):
    r = 9 * size
    return (f'<circle cx="{cx}" cy="{cy}" r="{r + 3}" fill="#000" opacity="0.35"/>'
            f'<polygon points="{hexagon(cx, cy, r + 1.5)}" fill="url(#nut)" stroke="#333" stroke-width="0.6"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{r * 0.62}" fill="url(#nut)" stroke="#444" stroke-width="0.5"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{r * 0.36}" fill="#050505"/>' +
            text(cx, cy - r - 8, label, 9, fill="#1d1c1b", spacing=0.8))


def group_rule(x0, x1, y, label):
    """A legend over a group of connectors, with rules out to both ends."""
    mid = (x0 + x1) / 2
    half = len(label) * 4.6 + 6
    return (f'<path d="M{x0},{y + 2} v-5 H{mid - half} M{mid + half},{y - 3} H{x1} v5" '
            f'fill="none" stroke="#1d1c1b" stroke-width="0.9"/>' +
            text(mid, y, label, 10, fill="#1d1c1b", spacing=3))


def hexagon(cx, cy, r):
    import math
    return " ".join(f"{cx + r * math.cos(math.pi / 3 * i):.2f},{cy + r * math.sin(math.pi / 3 * i):.2f}"
                    for i in range(6))


def about_view():
    """The instrument seen from behind, its blank type plate ready for text."""
    W, H = L.PANEL_W, 700
    px, py, pw, ph = L.ABOUT_PLATE
    plate = (px - 18, py - 14, pw + 36, ph + 28)
    wall = T.painted_metal(W, H, seed=31, base=(22, 21, 21))
    lid = T.walnut(W - 120, 120, seed=32, vertical=False)
    back = T.vinyl(W - 120, 420, seed=33, base=(26, 25, 25))
    strip = T.brushed_metal(W - 200, 150, seed=34, dark=(140, 140, 138), light=(205, 205, 202))
    plate_tex = T.brushed_metal(plate[2], plate[3], seed=35, dark=(176, 174, 168), light=(232, 230, 224))
    cheek_l = T.walnut(60, 560, seed=36)
    cheek_r = T.walnut(60, 560, seed=37)
    sx, sy = 100, 360                       # the connector strip
    b = [image_tag(wall, 0, 0),
         f'<rect width="{W}" height="{H}" fill="url(#vignette)"/>',
         # the cabinet
         f'<rect x="52" y="88" width="{W - 104}" height="570" rx="8" fill="#000" opacity="0.6" filter="url(#soft)"/>',
         image_tag(lid, 60, 80),
         f'<rect x="60" y="80" width="{W - 120}" height="120" fill="url(#lidshade)"/>',
         f'<path d="M60,200.5 H{W - 60}" stroke="#000" stroke-width="2"/>',
         image_tag(back, 60, 201),
         f'<rect x="60" y="201" width="{W - 120}" height="420" fill="url(#backshade)"/>',
         f'<rect x="{sx - 2}" y="{sy - 2}" width="{W - 2 * sx + 4}" height="154" rx="4" fill="#000" opacity="0.8"/>',
         image_tag(strip, sx, sy),
         f'<rect x="{sx + 0.5}" y="{sy + 0.5}" width="{W - 2 * sx - 1}" height="149" rx="3" fill="none" stroke="#fff" stroke-opacity="0.5"/>']
    for x in (sx + 10, W - sx - 10):
        for y in (sy + 10, sy + 140):
            b.append(screw(x, y, 4))
    # connectors and their legends on the strip
    b.append(jack(170, 455, "OUTPUT HIGH"))
    b.append(jack(250, 455, "OUTPUT LOW"))
    b.append(jack(340, 455, "PHONES"))
    b.append(jack(430, 455, "EXPRESSION"))
    b.append(jack(515, 455, "SUSTAIN"))
    b.append(group_rule(140, 370, 398, "AUDIO"))
    b.append(group_rule(400, 545, 398, "PEDALS"))
    # screws holding the back board, and the rubber feet
    for x in (140, 420, 920, 1200):
        b.append(screw(x, 222, 3.5))
        b.append(screw(x, 600, 3.5))
    for x in (150, 1150):
        b.append(f'<rect x="{x}" y="640" width="40" height="14" rx="3" fill="#080808"/>'
                 f'<path d="M{x + 3},641.5 h34" stroke="#444" stroke-opacity="0.8"/>')
    # power switch, fuse holder and the mains lead
    b.append(f'<rect x="1086" y="420" width="34" height="52" rx="3" fill="#111"/>'
             f'<rect x="1090" y="426" width="26" height="22" rx="2" fill="#a0201a"/>'
             f'<rect x="1090" y="448" width="26" height="19" rx="2" fill="#5a100c"/>')
    b.append(text(1103, 412, "POWER", 9, fill="#1d1c1b", spacing=1.2))
    b.append(text(1103, 486, "ON \u2022 OFF", 8, fill="#1d1c1b", spacing=0.8))
    b.append(f'<circle cx="1170" cy="446" r="12" fill="#181818"/><circle cx="1170" cy="446" r="8" fill="#2b2b2b"/>'
             f'<path d="M1164,446 H1176" stroke="#777" stroke-width="2"/>')
    b.append(text(1170, 424, "FUSE T1A", 8.5, fill="#1d1c1b", spacing=0.8))
    b.append(text(1140, 500, "AC 230 V ~ 50 Hz  25 W", 8.5, fill="#1d1c1b", spacing=0.6))
    b.append(f'<rect x="1206" y="430" width="22" height="34" rx="4" fill="#0c0c0c"/>'
             f'<path d="M1217,464 C1217,560 1150,600 1060,640 S900,690 860,700" fill="none" stroke="#000" stroke-width="11"/>'
             f'<path d="M1217,464 C1217,560 1150,600 1060,640 S900,690 860,700" fill="none" stroke="#3a3a3a" stroke-width="2" transform="translate(-2,-2)" opacity="0.7"/>')
    # ventilation slots above the strip
    for i in range(18):
        x = 420 + i * 28
        b.append(f'<rect x="{x}" y="250" width="12" height="70" rx="6" fill="#050505"/>'
                 f'<path d="M{x + 1},{320.5} h10" stroke="#555" stroke-opacity="0.6"/>')
    b.append(text(240, 300, "VORSAN", 30, family=TITLE_FONT, weight="bold", spacing=6, fill="#bdb6a4"))
    # the type plate, riveted on and left blank for the text
    x, y, w, h = plate
    b.append(f'<rect x="{x - 1}" y="{y - 1}" width="{w + 2}" height="{h + 2}" rx="4" fill="#000" opacity="0.7"/>'
             f'<clipPath id="plate"><rect x="{x}" y="{y}" width="{w}" height="{h}" rx="3"/></clipPath>'
             f'<g clip-path="url(#plate)">{image_tag(plate_tex, x, y)}</g>'
             f'<rect x="{x + 0.5}" y="{y + 0.5}" width="{w - 1}" height="{h - 1}" rx="3" fill="none" stroke="#fff" stroke-opacity="0.6"/>'
             f'<rect x="{x + 5}" y="{y + 5}" width="{w - 10}" height="{h - 10}" rx="2" fill="none" stroke="#3a3835" stroke-opacity="0.45"/>')
    for rx in (x + 10, x + w - 10):
        for ry in (y + 10, y + h - 10):
            b.append(f'<circle cx="{rx}" cy="{ry}" r="3.2" fill="url(#rivet)" stroke="#555" stroke-width="0.5"/>')
    # wooden end cheeks
    for cx, img in ((40, cheek_l), (W - 100, cheek_r)):
        b.append(f'<clipPath id="c{cx}"><rect x="{cx}" y="80" width="60" height="560" rx="8"/></clipPath>'
                 f'<g clip-path="url(#c{cx})">{image_tag(img, cx, 80)}'
                 f'<rect x="{cx}" y="80" width="60" height="560" fill="url(#cheek)"/></g>')
    defs = ('<radialGradient id="vignette" cx="0.5" cy="0.45" r="0.75">'
            '<stop offset="0.5" stop-color="#000" stop-opacity="0"/><stop offset="1" stop-color="#000" stop-opacity="0.7"/></radialGradient>'
            '<linearGradient id="lidshade" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#fff" stop-opacity="0.12"/><stop offset="1" stop-color="#000" stop-opacity="0.45"/></linearGradient>'
            '<linearGradient id="backshade" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#000" stop-opacity="0.5"/><stop offset="0.15" stop-color="#000" stop-opacity="0"/>'
            '<stop offset="1" stop-color="#000" stop-opacity="0.3"/></linearGradient>'
            '<linearGradient id="cheek" x1="0" y1="0" x2="1" y2="0">'
            '<stop offset="0" stop-color="#000" stop-opacity="0.4"/><stop offset="0.3" stop-color="#fff" stop-opacity="0.08"/>'
            '<stop offset="1" stop-color="#000" stop-opacity="0.45"/></linearGradient>'
            '<radialGradient id="nut" cx="0.4" cy="0.35" r="0.8"><stop offset="0" stop-color="#f4f4f2"/>'
            '<stop offset="0.6" stop-color="#a2a29f"/><stop offset="1" stop-color="#5a5a58"/></radialGradient>'
            '<radialGradient id="rivet" cx="0.4" cy="0.35" r="0.8"><stop offset="0" stop-color="#fafaf8"/>'
            '<stop offset="1" stop-color="#7a7874"/></radialGradient>'
            '<filter id="soft" x="-5%" y="-5%" width="110%" height="110%"><feGaussianBlur stdDeviation="8"/></filter>')
    return render(document(W, H, "".join(b), defs), W, H).convert("RGB")


def perspective_coefficients(quad, width, height):
    """Coefficients for Image.transform that map the output quad (TL, TR, BR,
    BL) back onto the source rectangle 0..width x 0..height."""
    import numpy as np
    src = [(0, 0), (width, 0), (width, height), (0, height)]
    rows, rhs = [], []
    for (x, y), (u, v) in zip(quad, src):
        rows.append([x, y, 1, 0, 0, 0, -u * x, -u * y])
        rows.append([0, 0, 0, x, y, 1, -v * x, -v * y])
        rhs += [u, v]
    return list(np.linalg.solve(np.array(rows, float), np.array(rhs, float)))


def app_icon(front):
    """The instrument seen from the front and a little above, in a 256-pixel icon."""
    from PIL import ImageDraw
    size, scale = 256, 4                  # drawn four times larger, then reduced
    view = front.crop((0, L.HEADER_MASK_ROWS + 12, L.PANEL_W, L.CABLES_MASK_Y + 40)).convert("RGBA")
    vw, vh = view.size
    rounded = Image.new("L", view.size, 0)
    ImageDraw.Draw(rounded).rounded_rectangle((0, 0, vw - 1, vh - 1), radius=30, fill=255)
    view.putalpha(rounded)
    quad = [(22, 70), (234, 70), (250, 188), (6, 188)]
    big = [(x * scale, y * scale) for x, y in quad]
    S = size * scale
    tilted = view.transform((S, S), Image.PERSPECTIVE, perspective_coefficients(big, vw, vh),
                            Image.BICUBIC)
    # a soft shadow on the surface the instrument stands on
    shadow = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    ImageDraw.Draw(shadow).ellipse((10 * scale, 176 * scale, 246 * scale, 212 * scale),
                                   fill=(0, 0, 0, 140))
    shadow = shadow.filter(ImageFilter.GaussianBlur(7 * scale))
    shadow.alpha_composite(tilted)
    return shadow.resize((size, size), Image.LANCZOS)
