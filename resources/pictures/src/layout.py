"""Where the front panel's controls sit, in panel pixels (x, y, width, height).

The application places its faders and switches at exactly these bounds, so
every slot, scale, bezel and legend painted on the panel is derived from this
one table.
"""

PANEL_W, PANEL_H = 1340, 1013

# Faders: identifier, left edge, legend under the slot (one or two lines).
FADER_Y, FADER_W, FADER_H = 232, 37, 104
KNOB_W, KNOB_H = 37, 38
FADERS = [
    ("flt_atk", 87, ["ATTACK"]),
    ("flt_dcy", 139, ["DECAY"]),
    ("flt_rng", 191, ["RANGE"]),
    ("flt_res", 243, ["RESONANCE"]),
    ("brs_vol", 348, ["VOLUME"]),
    ("seq_low", 452, ["LOW"]),
    ("seq_mid", 504, ["MID"]),
    ("seq_hig", 555, ["HIGH"]),
    ("sln_crs", 747, ["CRESCENDO"]),
    ("sln_sus", 799, ["SUSTAIN"]),
    ("sln_vol", 851, ["VOLUME"]),
    ("mod_dln", 955, ["DELAY"]),
    ("mod_rat", 1007, ["RATE"]),
    ("mod_dep", 1059, ["DEPTH"]),
    ("com_mst", 1215, ["MASTER"]),
]

# Push switches: identifier, picture, bounds, lamp legend, legend under it.
PUSH_W, PUSH_H = 52, 86
LAMP_ROWS = 45          # the upper part of a switch holds its lamp
PUSHES = [
    ("brs_tog", "push_brass", 288, 223, "ON", ["BRASS"]),
    ("sft_f16", "push_16", 618, 223, "16'", []),
    ("sft_f08", "push_8", 670, 223, "8'", []),
    ("mod_dst", "push_mod", 1104, 223, "LFO", ["\u25B2 FILTER", "\u25BC PITCH"]),
]

# The transpose slide switch under the two footage switches.
TRANSPOSE = (649, 309, 42, 27)

# The name plate (inclusive bounds 104..427 x 173..194) and the keyboard well.
NAME_PLATE = (104, 173, 324, 22)
WELL = (77, 431, 1189, 254)

# Rows covered by the header mask, and the header strip as a whole.
HEADER_MASK_ROWS = 118
HEADER_ROWS = 158
EDIT_BUTTON = (937, 12, 85, 42)
HELP_BUTTON = (1183, 12, 87, 42)
NEWS_STRIP = (40, 0, 800, 64)

# The strip that hides the panel picture's lower edge in the window.
CABLES_MASK_Y = 685

# Sections: title, the span of controls it groups (left, right).
SECTIONS = [
    ("BRASS", 87, 385),
    ("STRINGS", 452, 888),
    ("MODULATION", 955, 1156),
    ("MASTER", 1180, 1256),
]
# The pilot lamp that shows the instrument is switched on.
POWER_LAMP = (1185, 283)

# A sub-group legend spanning several controls.
SUBGROUPS = [
    ("FILTER", 87, 280),
    ("EQUALIZER", 452, 592),
    ("FOOTAGE", 618, 722),
]

# On-screen keyboard: white key width, black key offsets from the octave's C.
WHITE_KEY_W, WHITE_KEY_H = 41, 254
BLACK_KEY_W, BLACK_KEY_H = 27, 157
BLACK_KEY_OFFSETS = {1: 23, 3: 75, 6: 146, 8: 192, 10: 238}
WHITE_SEMITONES = [0, 2, 4, 5, 7, 9, 11]

# The about screen's blank type plate, where the version text is written.
ABOUT_PLATE = (604, 392, 420, 140)
