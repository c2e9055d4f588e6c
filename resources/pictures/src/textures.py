"""Seeded surface textures (brushed metal, paint, wood, vinyl) as RGB arrays.

Every texture is made from a fixed seed, so regenerating the pictures gives
the same pixels each time.
"""
import numpy as np
from PIL import Image


def smooth_noise(w, h, cell_w, cell_h, rng):
    """Value noise: random values on a coarse grid, bicubically enlarged."""
    gw = max(2, int(w / cell_w) + 2)
    gh = max(2, int(h / cell_h) + 2)
    grid = rng.random((gh, gw)).astype(np.float32)
    img = Image.fromarray(grid, mode="F").resize(
        (int(gw * cell_w), int(gh * cell_h)), Image.BICUBIC)
    return np.asarray(img, dtype=np.float32)[:h, :w]


def fractal_noise(w, h, cell, octaves, rng, aspect=1.0):
    total = np.zeros((h, w), np.float32)
    amp, norm = 1.0, 0.0
    for _ in range(octaves):
        total += amp * smooth_noise(w, h, cell * aspect, cell, rng)
        norm += amp
        amp *= 0.5
        cell = max(1.0, cell / 2)
    return total / norm


def box_blur_x(a, radius):
    """Blur along rows only; gives the long streaks of brushed metal."""
    pad = np.pad(a, ((0, 0), (radius + 1, radius)), mode="reflect")
    c = np.cumsum(pad, axis=1)
    return (c[:, 2 * radius + 1:] - c[:, :-2 * radius - 1]) / (2 * radius + 1)


def colourise(level, dark, light):
    dark = np.array(dark, np.float32)
    light = np.array(light, np.float32)
    level = np.clip(level, 0.0, 1.0)[..., None]
    return dark + (light - dark) * level


def to_image(rgb):
    return Image.fromarray(np.clip(rgb + 0.5, 0, 255).astype(np.uint8), "RGB")


def brushed_metal(w, h, seed, dark=(150, 152, 155), light=(214, 216, 219), depth=4.0):
    rng = np.random.default_rng(seed)
    streaks = box_blur_x(rng.random((h, w)).astype(np.float32), 60)
    streaks = (streaks - streaks.mean()) * depth
    fine = (box_blur_x(rng.random((h, w)).astype(np.float32), 3) - 0.5) * 0.10
    sheen = fractal_noise(w, h, 220, 3, rng, aspect=3.0) * 0.35
    return to_image(colourise(0.45 + streaks + fine + sheen - 0.17, dark, light))


def painted_metal(w, h, seed, base=(33, 31, 30)):
    """Dark enamel: a faint orange-peel mottle and grain."""
    rng = np.random.default_rng(seed)
    mottle = (fractal_noise(w, h, 60, 4, rng) - 0.5) * 7.0
    grain = (rng.random((h, w)).astype(np.float32) - 0.5) * 4.0
    rgb = np.array(base, np.float32)[None, None, :] + (mottle + grain)[..., None]
    return to_image(rgb)


def vinyl(w, h, seed, base=(24, 23, 23)):
    """Black leather-grain covering of the cabinet."""
    rng = np.random.default_rng(seed)
    cells = smooth_noise(w, h, 3, 3, rng)
    pebble = (np.abs(cells - 0.5) * 2.0) ** 0.7
    broad = fractal_noise(w, h, 90, 3, rng)
    level = pebble * 9.0 + broad * 6.0 - 7.0
    rgb = np.array(base, np.float32)[None, None, :] + level[..., None]
    return to_image(rgb)


def walnut(w, h, seed, vertical=True):
    """Oiled walnut: dark late-wood lines wandering along the board, fine
    fibres and pores, and a broad figure of lighter and darker wood."""
    rng = np.random.default_rng(seed)
    if not vertical:
        w, h = h, w
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    warp = fractal_noise(w, h, 260, 4, rng, aspect=0.2) * 60.0
    wobble = fractal_noise(w, h, 50, 3, rng, aspect=0.15) * 6.0
    late = (0.5 + 0.5 * np.sin((xx + warp + wobble) / 4.0)) ** 6
    fibres = box_blur_x(rng.random((w, h)).astype(np.float32), 30).T
    fibres = (fibres - fibres.mean()) * 3.5
    pores = (box_blur_x(rng.random((w, h)).astype(np.float32), 6).T - 0.5) * 0.18
    figure = fractal_noise(w, h, 140, 3, rng, aspect=0.3)
    level = 0.30 + 0.40 * figure - 0.28 * late + fibres + pores
    img = to_image(colourise(level, (40, 22, 12), (140, 88, 50)))
    if not vertical:
        img = img.transpose(Image.Transpose.ROTATE_90)
    return img
