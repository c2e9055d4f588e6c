"""Draws every picture of the instrument into the folder given as argument.

Usage: make_all.py OUTPUT_DIR [--sheet CONTACT_SHEET.png]
"""
import argparse
import os
import sys

from PIL import Image, ImageDraw

import keys as K
import layout as L
import panel as P
import parts as R
import screens as S

# File name -> (width, height, with alpha, frame count), as the program expects.
EXPECTED = {
    "Tembrolin_Icon.png": (256, 256, True, 1),
    "about.png": (1340, 700, False, 1),
    "background.png": (1340, 1013, False, 1),
    "mask_preset.png": (1340, 118, True, 1),
    "transpose.png": (42, 54, False, 2),
    "key_A.png": (41, 508, False, 2),
    "key_As.png": (27, 314, False, 2),
    "key_B.png": (41, 508, True, 2),
    "key_C.png": (41, 508, True, 2),
    "key_C_last.png": (41, 508, False, 2),
    "key_Cs.png": (27, 314, False, 2),
    "key_D.png": (41, 508, True, 2),
    "key_Ds.png": (27, 314, False, 2),
    "key_E.png": (41, 508, True, 2),
    "key_F.png": (41, 508, True, 2),
    "key_Fs.png": (27, 314, False, 2),
    "key_G.png": (41, 508, True, 2),
    "key_Gs.png": (27, 314, False, 2),
    "push_8.png": (52, 258, False, 3),
    "push_16.png": (52, 258, False, 3),
    "push_brass.png": (52, 258, False, 3),
    "edit.png": (85, 84, False, 2),
    "eq_fader.png": (44, 36, True, 1),
    "eq_led.png": (25, 88, False, 2),
    "fader.png": (37, 38, True, 1),
    "help.png": (87, 84, False, 2),
    "mask_cables.png": (1340, 15, True, 1),
    "mod_light.png": (52, 45, False, 1),
    "push_mod.png": (52, 258, False, 3),
}


def crop(img, x, y, w, h):
    return img.crop((x, y, x + w, y + h))


def build():
    out = {}
    base = P.panel_base()
    front = base.copy()

    for ident, name, x, y, lamp_text, _ in L.PUSHES:
        ground = crop(base, x, y, L.PUSH_W, L.PUSH_H)
        has_lamp = name != "push_mod"          # that lamp blinks on its own picture
        frames = [R.over(ground, R.push_switch_art(name, lamp_text, has_lamp and st == 2, st))
                  for st in (0, 1, 2)]
        out[name + ".png"] = R.stack(frames)
        front.paste(frames[0], (x, y))
        if name == "push_mod":
            lit = R.over(ground, R.push_switch_art(name, lamp_text, True, 0))
            out["mod_light.png"] = crop(lit, 0, 0, L.PUSH_W, L.LAMP_ROWS)

    tx, ty, tw, th = L.TRANSPOSE
    ground = crop(base, tx, ty, tw, th)
    frames = [R.over(ground, R.transpose_art(on)) for on in (False, True)]
    out["transpose.png"] = R.stack(frames)
    front.paste(frames[1], (tx, ty))
    out["background.png"] = front.convert("RGB")

    out["fader.png"] = R.fader_knob()
    out["eq_fader.png"] = R.fader_knob(44, 36)
    led_ground = crop(base, 1000, 150, 25, 44)  # a plain stretch of the panel face
    out["eq_led.png"] = R.stack([R.over(led_ground, R.led_art(on)) for on in (False, True)])

    mask = S.header_mask()
    out["mask_preset.png"] = mask
    out["edit.png"] = R.stack(S.header_button(mask, L.EDIT_BUTTON, "EDIT"))
    out["help.png"] = R.stack(S.header_button(mask, L.HELP_BUTTON, "HELP"))
    out["mask_cables.png"] = S.cables_mask()

    alpha_keys = {"B", "C", "D", "E", "F", "G"}
    for i, n in enumerate(K.WHITE_NAMES):
        frames = K.white_key(i, alpha=n in alpha_keys)
        img = R.stack(frames)
        out[f"key_{n}.png"] = img if n in alpha_keys else img.convert("RGB")
    out["key_C_last.png"] = R.stack(K.white_key(0, alpha=False, last=True)).convert("RGB")
    black = R.stack(K.black_key()).convert("RGB")
    for n in K.BLACK_NAMES.values():
        out[f"key_{n}.png"] = black

    out["about.png"] = S.about_view()
    out["Tembrolin_Icon.png"] = S.app_icon(assembled(out, front.convert("RGB")))
    return out


def assembled(pics, front):
    """The panel as the program shows it: knobs, switches and keys in place."""
    view = front.copy().convert("RGBA")
    defaults = {"flt_atk": 64, "flt_dcy": 64, "flt_rng": 64, "flt_res": 0, "brs_vol": 64,
                "seq_low": 64, "seq_mid": 64, "seq_hig": 64, "sln_crs": 0, "sln_sus": 72,
                "sln_vol": 64, "mod_dln": 64, "mod_rat": 80, "mod_dep": 0, "com_mst": 127}
    knob = pics["fader.png"]
    for ident, x, _ in L.FADERS:
        travel = L.FADER_H - L.KNOB_H
        ky = int(travel - travel * (defaults[ident] / 127))
        view.alpha_composite(knob, (x, L.FADER_Y + ky))
    on = {"push_brass": False, "push_16": False, "push_8": True, "push_mod": True}
    for _, name, x, y, _, _ in L.PUSHES:
        f = 2 if on[name] else 0
        view.paste(crop(pics[name + ".png"], 0, f * L.PUSH_H, L.PUSH_W, L.PUSH_H), (x, y))
    view.paste(pics["mod_light.png"], (1104, 223))
    tx, ty, tw, th = L.TRANSPOSE
    view.paste(crop(pics["transpose.png"], 0, th, tw, th), (tx, ty))
    kb = keyboard(pics, held={60, 64, 67, 70})
    view.alpha_composite(kb, (L.WELL[0], L.WELL[1]))
    view.alpha_composite(pics["mask_cables.png"], (0, L.CABLES_MASK_Y))
    view.alpha_composite(pics["mask_preset.png"], (0, 0))
    for name, (bx, by, bw, bh) in (("edit.png", L.EDIT_BUTTON), ("help.png", L.HELP_BUTTON)):
        view.paste(crop(pics[name], 0, 0, bw, bh), (bx, by))
    return view.convert("RGB")


def keyboard(pics, held=()):
    """Keys 48..96 drawn as the on-screen keyboard draws them."""
    w, h = L.WELL[2], L.WELL[3]
    kb = Image.new("RGBA", (w, h), (0, 0, 0, 255))
    names = {0: "C", 2: "D", 4: "E", 5: "F", 7: "G", 9: "A", 11: "B"}
    x = 0
    for n in range(48, 97):
        s = n % 12
        if s in names:
            pic = pics["key_C_last.png" if n == 96 else f"key_{names[s]}.png"].convert("RGBA")
            fr = (crop(pic, 0, 255, 41, 253).resize((41, h)) if n in held
                  else crop(pic, 0, 0, 41, 254))
            kb.alpha_composite(fr, (x, 0))
            x += 41
    for n in range(48, 97):
        s = n % 12
        if s in K.BLACK_NAMES:
            pic = pics[f"key_{K.BLACK_NAMES[s]}.png"].convert("RGBA")
            fr = crop(pic, 0, 158, 27, 156) if n in held else crop(pic, 0, 0, 27, 157)
            bx = 287 * ((n - 48) // 12) + L.BLACK_KEY_OFFSETS[s]
            kb.alpha_composite(fr, (bx, 0))
    return kb


def verify(folder):
    problems = []
    for name, (w, h, alpha, frames) in EXPECTED.items():
        path = os.path.join(folder, name)
        img = Image.open(path)
        mode = "RGBA" if alpha else "RGB"
        if img.size != (w, h) or img.mode != mode:
            problems.append(f"{name}: {img.size} {img.mode}, expected {(w, h)} {mode}")
        if h % frames:
            problems.append(f"{name}: height {h} does not split into {frames} frames")
    return problems


def contact_sheet(pics, front, path):
    view = assembled(pics, front)
    view.crop((0, 0, 1340, 700)).save(os.path.splitext(path)[0] + "_window.png")
    small = [n for n in EXPECTED if EXPECTED[n][0] < 300]
    sheet = Image.new("RGB", (1380, 3000), (90, 90, 96))
    sheet.paste(view.crop((0, 0, 1340, 700)), (20, 20))
    d = ImageDraw.Draw(sheet)
    x, y, row_h = 20, 740, 0
    for n in small:
        img = pics[n]
        if x + img.size[0] > 1360:
            x, y = 20, y + row_h + 24
            row_h = 0
        bg = Image.new("RGB", img.size, (200, 60, 200) if img.mode == "RGBA" else (0, 0, 0))
        if img.mode == "RGBA":
            bg.paste(img, (0, 0), img)
        else:
            bg = img
        sheet.paste(bg, (x, y))
        d.text((x, y + img.size[1] + 4), n, fill=(255, 255, 255))
        x += max(img.size[0], 7 * len(n)) + 18
        row_h = max(row_h, img.size[1])
    y += row_h + 30
    mask = Image.new("RGB", (1340, 118), (200, 60, 200))
    mask.paste(pics["mask_preset.png"], (0, 0), pics["mask_preset.png"])
    sheet.paste(mask, (20, y))
    sheet.paste(pics["about.png"].resize((670, 350)), (20, y + 130))
    sheet.paste(pics["background.png"].resize((447, 338)), (710, y + 130))
    sheet.crop((0, 0, 1380, y + 130 + 350 + 20)).save(path)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--sheet")
    args = ap.parse_args()
    pics = build()
    missing = set(EXPECTED) - set(pics)
    if missing:
        sys.exit(f"not drawn: {sorted(missing)}")
    for name, img in pics.items():
        img.save(os.path.join(args.out, name), optimize=True)
    problems = verify(args.out)
    if problems:
        sys.exit("\n".join(problems))
    if args.sheet:
        contact_sheet(pics, pics["background.png"], args.sheet)
    print(f"make-pictures: {len(pics)} pictures written to {args.out}")


if __name__ == "__main__":
    main()
