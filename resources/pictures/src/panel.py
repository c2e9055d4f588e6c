"""The front panel picture: cabinet, panel face, slots, scales and legends."""
from PIL import Image, ImageFilter

import layout as L
import textures as T
from parts import LAMP_DEFS, lamp
from svgtools import CREAM, TITLE_FONT, document, image_tag, render, text

# Section colours, screen-printed as thin rules under the section titles.
SECTION_COLOURS = {
    "BRASS": "#d9822b",
    "STRINGS": "#d8b24a",
    "MODULATION": "#5d9cc0",
    "MASTER": "#c8463a",
}

CHEEK_W = 56                          # wooden side cheeks
PANEL_X0, PANEL_X1 = CHEEK_W, L.PANEL_W - CHEEK_W
TRIM_Y0, TRIM_Y1 = 134, 143           # aluminium trim along the top edge
PANEL_Y1 = 414                        # lower edge of the painted panel
LIP_Y1 = 423                          # aluminium lip over the keyboard well
RAIL_Y1 = 742                         # wooden key slip under the keys


def knob_centre_y(value):
    """Panel row of the knob's index line for a value 0..1."""
    travel = L.FADER_H - L.KNOB_H
    return L.FADER_Y + L.KNOB_H / 2 + travel * (1.0 - value)


def fader_art(x, legend):
    cx = x + L.FADER_W / 2
    top, bottom = knob_centre_y(1.0), knob_centre_y(0.0)
    parts = []
    # the slot, cut through the panel, with its lit lower edge
    parts.append(f'<rect x="{cx - 2.5}" y="{top - 9}" width="5" height="{bottom - top + 18}" '
                 f'rx="2.5" fill="#050505" stroke="#000" stroke-width="0.6"/>')
    parts.append(f'<path d="M{cx - 2.2},{bottom + 8.6} h4.4" stroke="#6b6660" stroke-width="0.7"/>')
    parts.append(f'<rect x="{cx - 1}" y="{top - 6}" width="2" height="{bottom - top + 12}" fill="#141312"/>')
    # scale: ticks at every tenth on both sides, numbers at the even steps
    for i in range(11):
        ty = bottom - (bottom - top) * i / 10
        major = i % 5 == 0
        long_ = 8 if major else 6
        w = 1.0 if major else 0.7
        parts.append(f'<path d="M{cx - 5.5 - long_},{ty:.2f} h{long_} M{cx + 5.5},{ty:.2f} h{long_}" '
                     f'stroke="{CREAM}" stroke-width="{w}" opacity="0.92"/>')
        if i % 2 == 0:
            parts.append(text(cx - 17.5, ty + 2.4, str(i), 6.8, anchor="end", weight="bold"))
    for n, line in enumerate(legend):
        parts.append(text(cx, 351 + n * 10, line, 9.2, spacing=0.35))
    return "".join(parts)


def switch_legends(sw):
    ident, _, x, y, _, below = sw
    cx = x + L.PUSH_W / 2
    out = []
    for n, line in enumerate(below):
        out.append(text(cx, 351 + n * 10, line, 9.2, spacing=0.35))
    return "".join(out)


def transpose_legends():
    x, y, w, h = L.TRANSPOSE
    cy = y + h / 2 + 2.6
    return (text(x - 3, cy, "DOWN", 7.2, anchor="end", spacing=0.2) +
            text(x + w + 3, cy, "UP", 7.2, anchor="start", spacing=0.2) +
            text(x + w / 2, 351, "TRANSPOSE", 9.2, spacing=0.35))


def bracket(x0, x1, y, label, colour=CREAM, size=8.2):
    """A legend over a group of controls with a thin rule reaching both ends."""
    mid = (x0 + x1) / 2
    half = len(label) * size * 0.36 + 6
    return (f'<path d="M{x0},{y + 4} v-4 H{mid - half} M{mid + half},{y} H{x1} v4" '
            f'fill="none" stroke="{colour}" stroke-width="0.9" opacity="0.85"/>' +
            text(mid, y + 3, label, size, spacing=1.2, fill=colour))


def section_title(name, x0, x1):
    colour = SECTION_COLOURS[name]
    x0, x1 = x0 - 6, x1 + 6
    mid = (x0 + x1) / 2
    y = 384
    half = len(name) * 5.2 + 6
    if x1 - x0 < 2 * half + 10:
        x0, x1 = mid - half - 10, mid + half + 10
    return (f'<path d="M{x0},{y - 5} v5 H{mid - half} M{mid + half},{y} H{x1} v-5" '
            f'fill="none" stroke="{colour}" stroke-width="2"/>' +
            text(mid, y + 4.4, name, 12.5, family=TITLE_FONT, weight="bold",
                 spacing=2.2, fill=CREAM))


def name_plate():
    x, y, w, h = L.NAME_PLATE
    plate = T.brushed_metal(w, h, seed=11, dark=(172, 170, 164), light=(230, 228, 220), depth=3.0)
    return (f'<rect x="{x - 1}" y="{y - 1}" width="{w + 2}" height="{h + 2}" rx="3" fill="#000" opacity="0.7"/>' +
            f'<clipPath id="plate"><rect x="{x}" y="{y}" width="{w}" height="{h}" rx="2.5"/></clipPath>' +
            f'<g clip-path="url(#plate)">{image_tag(plate, x, y)}</g>' +
            f'<rect x="{x + 0.5}" y="{y + 0.5}" width="{w - 1}" height="{h - 1}" rx="2.5" '
            f'fill="none" stroke="#fff" stroke-opacity="0.55" stroke-width="1"/>' +
            f'<rect x="{x + 3}" y="{y + 3}" width="{w - 6}" height="{h - 6}" rx="1.5" '
            f'fill="none" stroke="#2a2826" stroke-opacity="0.55" stroke-width="0.8"/>' +
            screw(x + 9, y + h / 2, 3.2) + screw(x + w - 9, y + h / 2, 3.2) +
            name_lettering(x + w / 2, y + 16.6, "#ffffff", 0.55, dy=0.8) +
            name_lettering(x + w / 2, y + 16.6, "#1b1a19", 1.0))


def name_lettering(cx, y, fill, opacity, dy=0.0):
    """The instrument's name, maker part light and model part bold; drawn
    twice, a pale copy below, so it looks engraved into the plate."""
    return (f'<text x="{cx}" y="{y + dy}" font-family="{TITLE_FONT}" font-size="17" '
            f'text-anchor="middle" fill="{fill}" fill-opacity="{opacity}" letter-spacing="0.8">'
            f'<tspan font-weight="normal">Vorsan</tspan><tspan font-weight="bold">Tembrolin</tspan></text>')


def screw(cx, cy, r):
    return (f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="#9a9894" stroke="#3a3836" stroke-width="0.6"/>'
            f'<circle cx="{cx - r * 0.3}" cy="{cy - r * 0.3}" r="{r * 0.45}" fill="#e8e6e0" opacity="0.6"/>'
            f'<path d="M{cx - r * 0.75},{cy + r * 0.35} L{cx + r * 0.75},{cy - r * 0.35}" '
            f'stroke="#2c2a28" stroke-width="0.9"/>')


def cabinet():
    """Cheeks, trim, painted face, keyboard well and the key slip below it."""
    W, H = L.PANEL_W, L.PANEL_H
    wx, wy, ww, wh = L.WELL
    face = T.painted_metal(PANEL_X1 - PANEL_X0, PANEL_Y1 - TRIM_Y1, seed=3)
    top = T.vinyl(W - 2 * CHEEK_W, TRIM_Y0, seed=4)
    trim = T.brushed_metal(PANEL_X1 - PANEL_X0, LIP_Y1 - PANEL_Y1, seed=5)
    trim_top = T.brushed_metal(PANEL_X1 - PANEL_X0, TRIM_Y1 - TRIM_Y0, seed=6)
    rail = T.walnut(PANEL_X1 - PANEL_X0, RAIL_Y1 - (wy + wh), seed=7, vertical=False)
    front = T.vinyl(W - 2 * CHEEK_W, H - RAIL_Y1, seed=8)
    cheek_l = T.walnut(CHEEK_W, H, seed=9)
    cheek_r = T.walnut(CHEEK_W, H, seed=10)
    b = []
    b.append(f'<rect width="{W}" height="{H}" fill="#000"/>')
    b.append(image_tag(top, CHEEK_W, 0))
    b.append(image_tag(trim_top, PANEL_X0, TRIM_Y0))
    b.append(f'<path d="M{PANEL_X0},{TRIM_Y0 + 0.5} H{PANEL_X1}" stroke="#fff" stroke-opacity="0.6"/>')
    b.append(f'<path d="M{PANEL_X0},{TRIM_Y1 - 0.5} H{PANEL_X1}" stroke="#000" stroke-opacity="0.5"/>')
    b.append(image_tag(face, PANEL_X0, TRIM_Y1))
    # light falls from above and in front: a faint sheen fading downwards
    b.append(f'<rect x="{PANEL_X0}" y="{TRIM_Y1}" width="{PANEL_X1 - PANEL_X0}" height="{PANEL_Y1 - TRIM_Y1}" fill="url(#sheen)"/>')
    # soft shade under the trim, as on a gently sloped panel
    b.append(f'<rect x="{PANEL_X0}" y="{TRIM_Y1}" width="{PANEL_X1 - PANEL_X0}" height="10" fill="url(#shade)"/>')
    b.append(image_tag(trim, PANEL_X0, PANEL_Y1))
    b.append(f'<path d="M{PANEL_X0},{PANEL_Y1 + 0.5} H{PANEL_X1}" stroke="#fff" stroke-opacity="0.7"/>')
    b.append(f'<path d="M{PANEL_X0},{LIP_Y1 - 0.5} H{PANEL_X1}" stroke="#000" stroke-opacity="0.6"/>')
    # the well: black felt, walls in shadow
    b.append(f'<rect x="{PANEL_X0}" y="{LIP_Y1}" width="{PANEL_X1 - PANEL_X0}" height="{wy + wh - LIP_Y1}" fill="#060606"/>')
    b.append(f'<rect x="{PANEL_X0}" y="{LIP_Y1}" width="{PANEL_X1 - PANEL_X0}" height="{wy - LIP_Y1 + 6}" fill="url(#wellshade)"/>')
    b.append(f'<rect x="{wx}" y="{wy}" width="{ww}" height="{wh}" fill="#000"/>')
    b.append(image_tag(rail, PANEL_X0, wy + wh))
    b.append(f'<path d="M{PANEL_X0},{wy + wh + 0.5} H{PANEL_X1}" stroke="#000" stroke-width="1"/>')
    b.append(f'<path d="M{PANEL_X0},{wy + wh + 1.5} H{PANEL_X1}" stroke="#d9a779" stroke-opacity="0.5"/>')
    b.append(image_tag(front, CHEEK_W, RAIL_Y1))
    b.append(f'<rect x="{CHEEK_W}" y="{RAIL_Y1}" width="{W - 2 * CHEEK_W}" height="8" fill="url(#railshade)"/>')
    for x, img in ((0, cheek_l), (W - CHEEK_W, cheek_r)):
        b.append(f'<clipPath id="c{x}"><rect x="{x}" y="0" width="{CHEEK_W}" height="{H}" rx="7"/></clipPath>')
        b.append(f'<g clip-path="url(#c{x})">{image_tag(img, x, 0)}'
                 f'<rect x="{x}" y="0" width="{CHEEK_W}" height="{H}" fill="url(#cheek)"/></g>')
    # shadows the cheeks cast on the panel and into the well
    b.append(f'<rect x="{CHEEK_W}" y="0" width="10" height="{H}" fill="url(#castL)"/>')
    b.append(f'<rect x="{W - CHEEK_W - 10}" y="0" width="10" height="{H}" fill="url(#castR)"/>')
    defs = (
        '<radialGradient id="sheen" cx="0.45" cy="0.1" r="0.8" gradientTransform="translate(0.05,0) scale(0.9,1)">'
        '<stop offset="0" stop-color="#fff" stop-opacity="0.06"/><stop offset="0.6" stop-color="#fff" stop-opacity="0.015"/>'
        '<stop offset="1" stop-color="#000" stop-opacity="0.18"/></radialGradient>'
        '<linearGradient id="shade" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#000" stop-opacity="0.45"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>'
        '<linearGradient id="wellshade" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#000" stop-opacity="1"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>'
        '<linearGradient id="railshade" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#000" stop-opacity="0.8"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>'
        '<linearGradient id="cheek" x1="0" y1="0" x2="1" y2="0">'
        '<stop offset="0" stop-color="#000" stop-opacity="0.35"/><stop offset="0.25" stop-color="#fff" stop-opacity="0.07"/>'
        '<stop offset="0.5" stop-color="#fff" stop-opacity="0"/><stop offset="1" stop-color="#000" stop-opacity="0.4"/></linearGradient>'
        '<linearGradient id="castL" x1="0" y1="0" x2="1" y2="0">'
        '<stop offset="0" stop-color="#000" stop-opacity="0.6"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>'
        '<linearGradient id="castR" x1="1" y1="0" x2="0" y2="0">'
        '<stop offset="0" stop-color="#000" stop-opacity="0.6"/><stop offset="1" stop-color="#000" stop-opacity="0"/></linearGradient>'
    )
    return "".join(b), defs


def legends():
    b = []
    for _, x, legend in L.FADERS:
        b.append(fader_art(x, legend))
    for sw in L.PUSHES:
        b.append(switch_legends(sw))
    b.append(transpose_legends())
    for label, x0, x1 in L.SUBGROUPS:
        b.append(bracket(x0, x1, 208, label))
    for name, x0, x1 in L.SECTIONS:
        b.append(section_title(name, x0, x1))
    b.append(name_plate())
    # the screws that hold the panel between the cheeks
    for x in (PANEL_X0 + 13, PANEL_X1 - 13):
        for y in (TRIM_Y1 + 14, PANEL_Y1 - 13):
            b.append(screw(x, y, 3.6))
    px, py = L.POWER_LAMP
    b.append(lamp(px, py, True, "Red"))
    b.append(text(px, py + 22, "POWER", 8.2, spacing=0.8))
    b.append(text(440, 189, "STRING \u00b7 BRASS ENSEMBLE", 9.5, anchor="start",
                  family=TITLE_FONT, spacing=2.4))
    b.append(text(PANEL_X1 - 32, 193, "VORSAN", 21, anchor="end", family=TITLE_FONT,
                  weight="bold", spacing=4.5))
    return "".join(b)


def panel_base():
    """The panel with every legend but without the switch pictures."""
    body, defs = cabinet()
    return render(document(L.PANEL_W, L.PANEL_H, body + legends(), defs + LAMP_DEFS),
                  L.PANEL_W, L.PANEL_H)
