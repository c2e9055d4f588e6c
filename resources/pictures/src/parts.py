"""The moving parts: fader knobs, push switches, the slide switch, lamps."""
from PIL import Image

import layout as L
from svgtools import CREAM, LEGEND_FONT, document, render, text

CHROME = ('<linearGradient id="chrome" x1="0" y1="0" x2="0" y2="1">'
          '<stop offset="0" stop-color="#f4f4f2"/><stop offset="0.42" stop-color="#c9c9c6"/>'
          '<stop offset="0.5" stop-color="#8d8d8a"/><stop offset="0.58" stop-color="#b9b9b6"/>'
          '<stop offset="1" stop-color="#6e6e6b"/></linearGradient>')


def fader_knob(w=L.KNOB_W, h=L.KNOB_H, line_y=None):
    """A brushed-chrome fader cap seen from above, its index line at the centre."""
    line_y = h / 2 if line_y is None else line_y
    body = (
        # soft shadow on the panel beneath the cap
        f'<rect x="3.5" y="4" width="{w - 7}" height="{h - 4.5}" rx="4" fill="#000" opacity="0.6" filter="url(#blur)"/>'
        # cap body and its bevelled top
        f'<rect x="4" y="2" width="{w - 8}" height="{h - 6}" rx="3.5" fill="url(#side)"/>'
        f'<rect x="5.5" y="3.5" width="{w - 11}" height="{h - 10}" rx="2.5" fill="url(#chrome)"/>'
        # grip grooves above and below the index line
        + "".join(f'<path d="M7,{line_y + d:.1f} H{w - 7}" stroke="#4a4a48" stroke-width="0.8" opacity="0.75"/>'
                  f'<path d="M7,{line_y + d + 0.9:.1f} H{w - 7}" stroke="#fff" stroke-width="0.6" opacity="0.5"/>'
                  for d in (-11, -8, -5, 5, 8, 11)) +
        f'<rect x="5.5" y="{line_y - 1.6}" width="{w - 11}" height="3.2" fill="#111"/>'
        f'<path d="M6.5,{line_y - 0.1} H{w - 6.5}" stroke="{CREAM}" stroke-width="1.1"/>'
        f'<rect x="6" y="4" width="{w - 12}" height="{h - 11}" rx="2.3" fill="none" stroke="#fff" stroke-opacity="0.55" stroke-width="0.8"/>'
    )
    defs = (CHROME +
            '<linearGradient id="side" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#8a8a88"/><stop offset="1" stop-color="#2e2e2d"/></linearGradient>'
            '<filter id="blur" x="-20%" y="-20%" width="140%" height="140%"><feGaussianBlur stdDeviation="1.4"/></filter>')
    return render(document(w, h, body, defs), w, h)


CAP_COLOURS = {
    "push_brass": ("#f0a040", "#c06a1a", "#7a3e0c"),
    "push_16": ("#f6e7b8", "#d6c08a", "#8c7a50"),
    "push_8": ("#f6e7b8", "#d6c08a", "#8c7a50"),
    "push_mod": ("#9cc6e0", "#5b8fb2", "#2f5570"),
}


def lamp(cx, cy, lit, colour=""):
    """A round jewel lamp in a chrome bezel; lit, it glows amber (or red)."""
    glow = ""
    if lit:
        glow = (f'<circle cx="{cx}" cy="{cy}" r="15" fill="url(#halo{colour})"/>')
        lens = f"url(#lensOn{colour})"
    else:
        lens = "url(#lensOff)"
    return (glow +
            f'<circle cx="{cx}" cy="{cy}" r="9.5" fill="#050505"/>'
            f'<circle cx="{cx}" cy="{cy}" r="8.6" fill="url(#bezel)"/>'
            f'<circle cx="{cx}" cy="{cy}" r="6.2" fill="#1a0a04"/>'
            f'<circle cx="{cx}" cy="{cy}" r="5.6" fill="{lens}"/>'
            f'<ellipse cx="{cx - 1.8}" cy="{cy - 2.2}" rx="2.2" ry="1.4" fill="#fff" opacity="{0.85 if lit else 0.45}"/>')


LAMP_DEFS = (
    '<radialGradient id="bezel" cx="0.4" cy="0.35" r="0.75">'
    '<stop offset="0" stop-color="#f2f2f0"/><stop offset="0.6" stop-color="#9c9c99"/><stop offset="1" stop-color="#4d4d4b"/></radialGradient>'
    '<radialGradient id="lensOff" cx="0.45" cy="0.4" r="0.7">'
    '<stop offset="0" stop-color="#6a3414"/><stop offset="0.7" stop-color="#3a1a08"/><stop offset="1" stop-color="#1c0c04"/></radialGradient>'
    '<radialGradient id="lensOn" cx="0.45" cy="0.45" r="0.65">'
    '<stop offset="0" stop-color="#fffbe0"/><stop offset="0.35" stop-color="#ffd24a"/><stop offset="0.8" stop-color="#ff8a10"/><stop offset="1" stop-color="#c04a00"/></radialGradient>'
    '<radialGradient id="halo" cx="0.5" cy="0.5" r="0.5">'
    '<stop offset="0.35" stop-color="#ffb030" stop-opacity="0.55"/><stop offset="1" stop-color="#ff8000" stop-opacity="0"/></radialGradient>'
    '<radialGradient id="lensOnRed" cx="0.45" cy="0.45" r="0.65">'
    '<stop offset="0" stop-color="#fff0e8"/><stop offset="0.35" stop-color="#ff5a40"/><stop offset="0.8" stop-color="#d01808"/><stop offset="1" stop-color="#700800"/></radialGradient>'
    '<radialGradient id="haloRed" cx="0.5" cy="0.5" r="0.5">'
    '<stop offset="0.35" stop-color="#ff3018" stop-opacity="0.5"/><stop offset="1" stop-color="#ff2000" stop-opacity="0"/></radialGradient>'
)


def push_switch_art(name, lamp_text, lit, state):
    """One frame (52 x 86) of a push switch over transparent ground.

    state: 0 released, 1 held down, 2 latched down.  The upper LAMP_ROWS rows
    hold the lamp and its legend; the button stays below them."""
    top, mid, dark = CAP_COLOURS[name]
    w, h = L.PUSH_W, L.PUSH_H
    cx = w / 2
    sink = (0, 3, 2)[state]
    shadow = (3.0, 0.8, 1.4)[state]
    bright = (1.0, 0.82, 0.9)[state]
    body = text(cx, 10, lamp_text, 9.5, fill=CREAM, spacing=0.4) + lamp(cx, 28, lit)
    # bezel: a black square collar set into the panel
    body += (f'<rect x="4" y="47" width="44" height="37" rx="3" fill="#000"/>'
             f'<rect x="4.5" y="47.5" width="43" height="36" rx="2.5" fill="none" stroke="#555" stroke-width="1"/>'
             f'<rect x="6" y="49" width="40" height="33" rx="2" fill="#0b0b0b"/>')
    # the cap, lower and less lit while it is pressed in
    body += (f'<rect x="8" y="{50 + sink + shadow}" width="36" height="{28 - sink}" rx="2.5" fill="#000" opacity="0.8" filter="url(#blur)"/>'
             f'<rect x="8" y="{50 + sink}" width="36" height="{29 - sink}" rx="2.5" fill="{dark}"/>'
             f'<rect x="8.5" y="{50 + sink}" width="35" height="{25 - sink}" rx="2.2" fill="url(#cap)" opacity="{bright}"/>'
             f'<path d="M10,{51.2 + sink} H42" stroke="#fff" stroke-opacity="{0.7 * bright:.2f}" stroke-width="1"/>'
             # a gentle dish in the cap's face catches the light
             f'<ellipse cx="{cx}" cy="{62 + sink * 0.7}" rx="14" ry="{8.5 - sink * 0.4}" fill="url(#dish)" opacity="{bright:.2f}"/>'
             f'<rect x="8.5" y="{50.5 + sink}" width="35" height="{28 - sink}" rx="2.3" fill="none" stroke="#000" stroke-opacity="0.35" stroke-width="0.8"/>')
    if state:
        body += f'<rect x="8" y="{50 + sink}" width="36" height="{29 - sink}" rx="2.5" fill="#000" opacity="0.18"/>'
    defs = (LAMP_DEFS +
            f'<linearGradient id="cap" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="{top}"/>'
            f'<stop offset="1" stop-color="{mid}"/></linearGradient>'
            '<radialGradient id="dish" cx="0.5" cy="0.35" r="0.6">'
            '<stop offset="0" stop-color="#fff" stop-opacity="0.28"/><stop offset="0.7" stop-color="#fff" stop-opacity="0.05"/>'
            '<stop offset="1" stop-color="#fff" stop-opacity="0"/></radialGradient>'
            '<filter id="blur" x="-20%" y="-20%" width="140%" height="140%"><feGaussianBlur stdDeviation="1.2"/></filter>')
    return render(document(w, h, body, defs), w, h)


def transpose_art(on):
    """The slide switch: a chrome slider in a slot, left (down) or right (up)."""
    w, h = L.TRANSPOSE[2], L.TRANSPOSE[3]
    kx = 25 if on else 3
    body = (f'<rect x="2" y="9" width="{w - 4}" height="9" rx="2" fill="#000"/>'
            f'<rect x="2.5" y="9.5" width="{w - 5}" height="8" rx="1.8" fill="none" stroke="#5a5652" stroke-width="0.8"/>'
            f'<rect x="{kx + 1}" y="4.5" width="14" height="20" rx="2" fill="#000" opacity="0.7" filter="url(#blur)"/>'
            f'<rect x="{kx}" y="3" width="14" height="20" rx="2" fill="url(#chrome)"/>'
            f'<rect x="{kx + 0.5}" y="3.5" width="13" height="19" rx="1.8" fill="none" stroke="#fff" stroke-opacity="0.5" stroke-width="0.8"/>'
            + "".join(f'<path d="M{kx + 3.5 + 2.3 * i},7 V19" stroke="#444" stroke-width="0.9"/>' for i in range(4)))
    defs = (CHROME.replace('x2="0" y2="1"', 'x2="1" y2="1"') +
            '<filter id="blur" x="-30%" y="-30%" width="160%" height="160%"><feGaussianBlur stdDeviation="1"/></filter>')
    return render(document(w, h, body, defs), w, h)


def led_art(on):
    """A small red lamp in a black collar, 25 x 44."""
    w, h = 25, 44
    cy = 22
    body = (f'<circle cx="12.5" cy="{cy}" r="7.5" fill="#000"/>'
            f'<circle cx="12.5" cy="{cy}" r="6.8" fill="#3a3a38"/>'
            f'<circle cx="12.5" cy="{cy}" r="4.6" fill="{"url(#on)" if on else "url(#off)"}"/>'
            f'<ellipse cx="11.2" cy="{cy - 1.7}" rx="1.6" ry="1" fill="#fff" opacity="0.6"/>')
    if on:
        body = f'<circle cx="12.5" cy="{cy}" r="12" fill="url(#halo)"/>' + body
    defs = ('<radialGradient id="on" cx="0.45" cy="0.4" r="0.7"><stop offset="0" stop-color="#ffe0d0"/>'
            '<stop offset="0.4" stop-color="#ff3020"/><stop offset="1" stop-color="#a00000"/></radialGradient>'
            '<radialGradient id="off" cx="0.45" cy="0.4" r="0.7"><stop offset="0" stop-color="#702020"/>'
            '<stop offset="1" stop-color="#2a0606"/></radialGradient>'
            '<radialGradient id="halo"><stop offset="0.3" stop-color="#ff2010" stop-opacity="0.5"/>'
            '<stop offset="1" stop-color="#ff2010" stop-opacity="0"/></radialGradient>')
    return render(document(w, h, body, defs), w, h)


def over(ground, art):
    """Composites art over an opaque crop of the panel and drops the alpha."""
    out = ground.convert("RGBA").copy()
    out.alpha_composite(art)
    return out.convert("RGB")


def stack(frames):
    w = frames[0].size[0]
    total = sum(f.size[1] for f in frames)
    out = Image.new(frames[0].mode, (w, total))
    y = 0
    for f in frames:
        out.paste(f, (0, y))
        y += f.size[1]
    return out
