#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/.

The seeds are small real examples of each input: saved states, MIDI files,
engine event streams, news records and news bodies. They are committed; run this again after changing
it. The state seeds also include tools/render/demo.state, a state saved by
the application.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parents[1]

# id, name, maxValue, default of the 21 parameters, in row order.
PARAMETERS = [
    ("flt_atk", "Brass Filter Attack", 127, 64), ("flt_dcy", "Brass Filter Decay", 127, 64),
    ("flt_rng", "Brass Filter Range", 127, 64), ("flt_res", "Brass Filter Resonance", 127, 0),
    ("brs_tog", "Brass Section On/Off", 1, 0), ("brs_vol", "Brass Section Volume", 127, 64),
    ("seq_low", "Strings EQ Low", 127, 64), ("seq_mid", "Strings EQ Middle", 127, 64),
    ("seq_hig", "Strings EQ High", 127, 64), ("sft_f16", "Strings Octave 16&apos;", 1, 0),
    ("sft_f08", "Strings Octave 8&apos;", 1, 1), ("sln_crs", "Strings Length Crescendo", 127, 0),
    ("sln_sus", "Strings Length Sustain", 127, 72), ("sln_vol", "Strings Section Volume", 127, 64),
    ("mod_dln", "Modulation Delay Length", 127, 64), ("mod_rat", "Modulation Rate", 127, 80),
    ("mod_dep", "Modulation Depth", 127, 0), ("mod_dst", "Modulation Destination", 1, 1),
    ("com_trs", "Transpose Up/Down", 1, 1), ("com_mst", "Master Volume", 127, 127),
    ("edt_tgl", "Global Tuning", 127, 64),
]


def write(target, name, data):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data if isinstance(data, bytes) else data.encode())


def copy(target, source):
    write(target, source.name, source.read_bytes())


# ---- saved states ---------------------------------------------------------

def envelope(xml_text):
    body = xml_text.encode()
    return struct.pack("<II", 0x21324356, len(body)) + body + b"\0"


def preset(raws):
    params = "".join(
        f'<PARAM NUM="{row}" ID="{pid}" ValueMidi="{raw}" ValueFloat="{raw / maximum!r}">{name}</PARAM>'
        for row, ((pid, name, maximum, _), raw) in enumerate(zip(PARAMETERS, raws)))
    return f'<?xml version="1.0" encoding="UTF-8"?> <PRESET><PROGRAM/>{params}</PRESET>'


def state_seeds():
    target = "fuzz_state"
    copy(target, ROOT / "tools" / "render" / "demo.state")
    write(target, "default.state", envelope(preset([p[3] for p in PARAMETERS])))
    write(target, "extremes.state", envelope(preset([p[2] if row % 2 else 0 for row, p in enumerate(PARAMETERS)])))
    # XML text alone: the target wraps it in the envelope.
    write(target, "odd.xml",
          '<preset a="1"><program><PARAM ID="brs_vol" ValueMidi="1"/></program>'
          '<param ID="flt_atk" ValueMidi="10"/><PARAM ID="no_such" ValueMidi="5"/>'
          '<PARAM ID="FLT_DCY" ValueMidi="5"/><PARAM ID="com_mst"/>'
          '<PARAM ID="seq_mid" ValueMidi="30abc"/><PARAM ID="flt_rng" ValueMidi="abc"/>'
          '<PARAM ID="sft_f16" ValueMidi="127"/><PARAM ID="mod_rat" ValueMidi="  -7"/>'
          '<!-- a comment --><PARAM ID="edt_tgl" ValueMidi="&#x31;&#50;7"/></preset>')
    write(target, "numbers.xml",
          '<PRESET><PARAM ID="com_mst" ValueMidi="99999999999999999999"/>'
          '<PARAM ID="flt_res" ValueMidi="-2147483649"/><PARAM ID="mod_dep" ValueMidi="2147483647"/>'
          '<PARAM ID="mod_dln" ValueMidi="1e309"/><PARAM ID="sln_sus" ValueMidi="nan"/>'
          '<PARAM ID="brs_tog" ValueMidi="-0"/><PARAM ID="seq_low" ValueMidi="0x7f"/></PRESET>')
    write(target, "missing.xml", '<PRESET><PARAM/><PARAM ValueMidi="3"/><PARAM ID=""/><![CDATA[x]]></PRESET>')
    write(target, "truncated.state", envelope(preset([p[3] for p in PARAMETERS]))[:300])
    # Found by fuzzing: a character cut short at the end of the text.
    write(target, "cut-short.xml", b'<PRESET><PARAM ID="com_mst" ValueMidi="3"/><a b="\xff')
    # Found by fuzzing: a character reference cut short at the end.
    write(target, "reference-cut-short.xml", '<PRESET><PARAM ID="com_mst" ValueMidi="3"/>x&#x')
    # Found by fuzzing: text, a processing instruction and text again.
    write(target, "instruction.xml", '<PRESET>x<?x?>c<PARAM ID="com_mst" ValueMidi="3"/></PRESET>')
    # Found by fuzzing: the same, with a stray byte that the framework reads as "?".
    # Found by fuzzing: an unknown entity named in XML, a reference cut short by its ";".
    write(target, "entity-named-in-xml.xml", '<PRESET><PARAM ID="com_mst" ValueMidi="3"/>x&<a>&#x31;</PRESET>')
    write(target, "stray-byte-instruction.xml", b'<PRESET>x<\xbfx?>c<PARAM ID="com_mst" ValueMidi="3"/></PRESET>')


# ---- MIDI files -------------------------------------------------------------

def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(out))


def track(*events):
    """events: (delta, bytes) pairs; an end-of-track event is appended."""
    body = b"".join(varlen(delta) + data for delta, data in events) + b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def midi_file(file_type, division, *tracks):
    return b"MThd" + struct.pack(">IHHH", 6, file_type, len(tracks), division & 0xFFFF) + b"".join(tracks)


TEMPO_120 = b"\xff\x51\x03\x07\xa1\x20"


def midi_seeds():
    target = "fuzz_midi_render"
    copy(target, ROOT / "tools" / "render" / "demo.mid")
    # A chord of a quarter of a second at 120 beats per minute.
    write(target, "chord.mid", midi_file(0, 480, track(
        (0, TEMPO_120), (0, b"\x90\x3c\x64"), (0, b"\x90\x40\x64"), (0, b"\x90\x43\x64"),
        (240, b"\x80\x3c\x40"), (0, b"\x80\x40\x40"), (0, b"\x80\x43\x40"))))
    # Running status, and note-ons of velocity 0 as note-offs.
    write(target, "running-status.mid", midi_file(0, 96, track(
        (0, b"\x91\x30\x50"), (4, b"\x34\x50"), (4, b"\x30\x00"), (4, b"\x34\x00"), (0, b"\x60\x7f"), (8, b"\x60\x00"))))
    # A tempo map in its own track with a time signature; notes in another.
    write(target, "tempo-changes.mid", midi_file(1, 96,
        track((0, b"\xff\x58\x04\x04\x02\x18\x08"), (0, b"\xff\x51\x03\x03\xd0\x90"),
              (48, b"\xff\x51\x03\x01\xe8\x48"), (48, b"\xff\x51\x03\x00\x7a\x12")),
        track((0, b"\x90\x48\x70"), (40, b"\x80\x48\x00"), (10, b"\x90\x4c\x70"), (80, b"\x80\x4c\x00"))))
    # An empty track (no events at all, not even its end) beside a short one.
    write(target, "zero-length-track.mid", midi_file(1, 480, b"MTrk\x00\x00\x00\x00",
        track((0, b"\x90\x3c\x64"), (100, b"\x80\x3c\x00"))))
    # Time in frames: 25 frames per second, 40 ticks per frame.
    write(target, "smpte.mid", midi_file(0, (-25 << 8) | 40, track(
        (0, b"\x90\x45\x64"), (500, b"\x80\x45\x00"))))
    # The same key struck twice before its release, and keys out of range.
    write(target, "repeated-key.mid", midi_file(0, 480, track(
        (0, b"\x90\x3c\x64"), (60, b"\x90\x3c\x64"), (60, b"\x80\x3c\x00"), (0, b"\x90\x10\x64"),
        (0, b"\x90\x7f\x64"), (60, b"\x80\x10\x00"), (0, b"\x80\x7f\x00"))))
    # System exclusive, text, controllers, pitch bend and program change.
    write(target, "other-messages.mid", midi_file(0, 480, track(
        (0, b"\xf0\x05\x7e\x7f\x09\x01\xf7"), (0, b"\xff\x03\x04name"), (0, b"\xb0\x07\x10"),
        (0, b"\xc0\x05"), (0, b"\xe0\x00\x40"), (0, b"\x90\x3c\x64"), (120, b"\xa0\x3c\x20"),
        (0, b"\xd0\x30"), (120, b"\x80\x3c\x00"))))
    # A standard MIDI file inside a RIFF wrapper.
    inner = midi_file(0, 480, track((0, b"\x90\x3c\x64"), (120, b"\x80\x3c\x00")))
    write(target, "riff.mid", b"RIFF" + struct.pack("<I", len(inner) + 12) + b"RMIDdata"
          + struct.pack("<I", len(inner)) + inner)
    # One note, then a delta time of 0x0FFFFFFF ticks before its release:
    # 37 bytes that ask for about 77 hours.
    write(target, "huge-delta.mid", midi_file(0, 480, track(
        (0, b"\x90\x3c\x64"), (0x0FFFFFFF, b"\x80\x3c\x40"))))


# ---- engine event streams --------------------------------------------------

def engine_seeds():
    target = "fuzz_engine"

    def number(value):
        return bytes([value]) if 0 <= value < 128 else b"\x80" + struct.pack("<i", value)

    def key_down(note): return b"\x00" + number(note) + b"\x64"
    def key_up(note): return b"\x02" + number(note)
    def parameter(row, raw): return b"\x03" + number(row) + number(raw)
    def render(samples): return b"\x04" + struct.pack("<H", samples - 1)
    def readout(row, value): return b"\x06" + number(row) + struct.pack("<f", value)
    reset, rebuild = b"\x05", b"\x07"
    defaults = b"".join(parameter(row, p[3]) for row, p in enumerate(PARAMETERS))

    write(target, "chord", b"\x00" + defaults + b"".join(key_down(n) for n in (48, 60, 67, 72, 96))
          + render(4096) + b"".join(key_up(n) for n in (48, 60, 67, 72, 96)) + render(4096))
    write(target, "brass-sweep", b"\x01" + defaults + parameter(4, 1) + parameter(3, 127) + parameter(2, 0)
          + parameter(17, 0) + parameter(16, 127) + parameter(15, 127) + key_down(60) + render(3000)
          + parameter(2, 127) + render(3000) + rebuild + render(3000) + key_up(60) + render(2000))
    write(target, "edges", b"\x00" + defaults + parameter(14, 0) + parameter(20, 0) + parameter(19, 127)
          + key_down(64) + render(100) + key_up(64) + key_down(64) + parameter(20, 127) + render(500)
          + reset + render(500) + readout(15, 1.0) + readout(20, float("nan")) + readout(20, float("inf")))
    write(target, "out-of-range", b"\x00" + defaults + parameter(14, 128) + parameter(15, -1)
          + parameter(20, 0x7FFFFFFF) + parameter(21, 5) + parameter(-5, 5) + key_down(-1) + key_down(200)
          + key_down(-2**31) + render(2000) + key_up(2**31 - 1) + render(1000))


# ---- the news record "memory.bin" ----------------------------------------

def news_record_seeds():
    target = "fuzz_news_record"
    write(target, "first-start", b"")
    write(target, "usual", struct.pack("<iii", 0, 42, 1))
    write(target, "extremes", struct.pack("<iii", -2**31, 2**31 - 1, -1))
    write(target, "eleven-bytes", struct.pack("<iii", 1, 2, 3)[:11])
    write(target, "thirteen-bytes", struct.pack("<iii", 1, 2, 3) + b"\0")
    write(target, "page-of-junk", bytes(range(256)) * 16)


# ---- news bodies in the HTML subset ----------------------------------------

def html_seeds():
    target = "fuzz_html"
    copy(target, ROOT / "resources" / "manual.htm")
    copy(target, ROOT / "resources" / "eula.htm")
    write(target, "news.htm", '<b>New:</b> the 1.1 update is out. '
          '<a href="https://www.vorsan.example/news">Read more</a><br>'
          '<font color="#FFA040">Sound sets</font> for the strings and brass<br>'
          'From the second server: <font color="#80FF80">all is well.</font>')
    write(target, "unbalanced.htm", '</b></i>x<b><b><i>y</a><a>z</a><a href=q>w</font></font></h2>'
          '<h1><h12>t</h3><li><li></ul></ul><u></u></u>end')
    write(target, "odd-tags.htm", 'a<>b<<b>c<b<i>d<br/><BR><br >e<font size=9 color=#123 face=x>f'
          '<FONT SIZE="30">g<font color="#zz00FF" size="-4">h<font face="">i<a href="">j</a>\r\rk<br>l\r<br>'
          '<a HREF="http://x" href="y">m</a><a href="#alert=hi">n</a><h5>o</h5><hr>&amp;&lt;p&gt; <a')
    write(target, "nested-fonts.htm", "".join(f'<font size="{10 + i}" color="#{i:02x}{i:02x}80">w{i} '
                                               for i in range(40)) + "</font>" * 45)
    write(target, "styles-per-letter.htm", "".join(f"<{t}>x</{t}>y" for t in "biu" * 30))
    write(target, "utf8.htm", "caf\u00e9 \u20ac <b>\u00fcber</b> \U0001F3B9 \u0301\u200b end".encode("utf-8"))
    write(target, "utf8-bom.htm", b"\xef\xbb\xbf<b>bom</b> text")
    write(target, "utf16le.htm", b"\xff\xfe" + "<b>wide</b> text \u00e9<br>".encode("utf-16-le"))
    write(target, "utf16be-odd.htm", b"\xfe\xff" + "<i>big</i> end".encode("utf-16-be") + b"\xd8")
    # Plain text behind a UTF-16 mark reads as characters of many scripts,
    # whose first rendering loads fallback typefaces.
    write(target, "utf16be-mark-over-ascii.htm",
          b"\xfe\xff" + (ROOT / "resources" / "eula.htm").read_bytes()[:5000])
    write(target, "invalid-utf8.htm", b"<b>bad \xc3\x28 \xa0\xa1 \xe2\x82 \xf0\x28\x8c\x28 \xff</b> "
          b"\xc3")
    write(target, "unfinished.htm", "<b>bold <a href=\"https://www.vorsan.example/a")
    write(target, "many-line-breaks.htm", "x<br>" * 200 + "<li>" * 50 + "</ul>" * 20)


if __name__ == "__main__":
    state_seeds()
    midi_seeds()
    engine_seeds()
    news_record_seeds()
    html_seeds()
