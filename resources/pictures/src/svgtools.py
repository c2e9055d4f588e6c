"""Rendering SVG text to images with rsvg-convert, and small SVG helpers."""
import base64
import io
import subprocess

from PIL import Image

CREAM = "#efe5cc"
LEGEND_FONT = "Nimbus Sans Narrow"
TITLE_FONT = "URW Gothic"


def render(svg_text, width, height):
    """Renders an SVG document to an RGBA image of exactly width x height."""
    out = subprocess.run(
        ["rsvg-convert", "--format=png", f"--width={width}", f"--height={height}"],
        input=svg_text.encode("utf-8"), stdout=subprocess.PIPE, check=True).stdout
    img = Image.open(io.BytesIO(out)).convert("RGBA")
    if img.size != (width, height):
        raise RuntimeError(f"rsvg-convert gave {img.size}, wanted {width}x{height}")
    return img


def document(width, height, body, defs=""):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" '
            f'xmlns:xlink="http://www.w3.org/1999/xlink" '
            f'width="{width}" height="{height}" viewBox="0 0 {width} {height}">'
            f'<defs>{defs}</defs>{body}</svg>')


def image_tag(img, x=0, y=0, extra=""):
    """Embeds a PIL image as a data URI so SVG can draw over textures."""
    buf = io.BytesIO()
    img.save(buf, "PNG")
    data = base64.b64encode(buf.getvalue()).decode("ascii")
    return (f'<image x="{x}" y="{y}" width="{img.size[0]}" height="{img.size[1]}" '
            f'preserveAspectRatio="none" {extra} '
            f'xlink:href="data:image/png;base64,{data}"/>')


def text(x, y, s, size, anchor="middle", fill=CREAM, family=LEGEND_FONT,
         weight="bold", spacing=0.0, extra=""):
    s = s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    return (f'<text x="{x}" y="{y}" font-family="{family}" font-size="{size}" '
            f'font-weight="{weight}" text-anchor="{anchor}" fill="{fill}" '
            f'letter-spacing="{spacing}" {extra}>{s}</text>')
