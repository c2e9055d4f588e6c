#pragma once

#include <BinaryData.h>

#include <array>

// What the program expects of each embedded resource, in the order of the
// resource tables. Documents have no pixel size (0 × 0) and no frames.
struct ExpectedResource
{
    const char* resourceName;
    const char* fileName;
    const char* data;   // the generated pointer constant
    int size;           // the generated size constant
    int width;
    int height;
    int frames;         // film-strip frames stacked vertically
    bool alpha;
};

inline const std::array<ExpectedResource, 31>& expectedResources()
{
    using namespace BinaryData;
    static const std::array<ExpectedResource, 31> table { {
        { "manual_htm",         "manual.htm",         manual_htm,         manual_htmSize,         0,    0,    0, false },
        { "eula_htm",           "eula.htm",           eula_htm,           eula_htmSize,           0,    0,    0, false },
        { "Tembrolin_Icon_png", "Tembrolin_Icon.png", Tembrolin_Icon_png, Tembrolin_Icon_pngSize, 256,  256,  1, true  },
        { "about_png",          "about.png",          about_png,          about_pngSize,          1340, 700,  1, false },
        { "background_png",     "background.png",     background_png,     background_pngSize,     1340, 1013, 1, false },
        { "mask_preset_png",    "mask_preset.png",    mask_preset_png,    mask_preset_pngSize,    1340, 118,  1, true  },
        { "transpose_png",      "transpose.png",      transpose_png,      transpose_pngSize,      42,   54,   2, false },
        { "key_A_png",          "key_A.png",          key_A_png,          key_A_pngSize,          41,   508,  2, false },
        { "key_As_png",         "key_As.png",         key_As_png,         key_As_pngSize,         27,   314,  2, false },
        { "key_B_png",          "key_B.png",          key_B_png,          key_B_pngSize,          41,   508,  2, true  },
        { "key_C_png",          "key_C.png",          key_C_png,          key_C_pngSize,          41,   508,  2, true  },
        { "key_C_last_png",     "key_C_last.png",     key_C_last_png,     key_C_last_pngSize,     41,   508,  2, false },
        { "key_Cs_png",         "key_Cs.png",         key_Cs_png,         key_Cs_pngSize,         27,   314,  2, false },
        { "key_D_png",          "key_D.png",          key_D_png,          key_D_pngSize,          41,   508,  2, true  },
        { "key_Ds_png",         "key_Ds.png",         key_Ds_png,         key_Ds_pngSize,         27,   314,  2, false },
        { "key_E_png",          "key_E.png",          key_E_png,          key_E_pngSize,          41,   508,  2, true  },
        { "key_F_png",          "key_F.png",          key_F_png,          key_F_pngSize,          41,   508,  2, true  },
        { "key_Fs_png",         "key_Fs.png",         key_Fs_png,         key_Fs_pngSize,         27,   314,  2, false },
        { "key_G_png",          "key_G.png",          key_G_png,          key_G_pngSize,          41,   508,  2, true  },
        { "key_Gs_png",         "key_Gs.png",         key_Gs_png,         key_Gs_pngSize,         27,   314,  2, false },
        { "push_8_png",         "push_8.png",         push_8_png,         push_8_pngSize,         52,   258,  3, false },
        { "push_16_png",        "push_16.png",        push_16_png,        push_16_pngSize,        52,   258,  3, false },
        { "push_brass_png",     "push_brass.png",     push_brass_png,     push_brass_pngSize,     52,   258,  3, false },
        { "edit_png",           "edit.png",           edit_png,           edit_pngSize,           85,   84,   2, false },
        { "eq_fader_png",       "eq_fader.png",       eq_fader_png,       eq_fader_pngSize,       44,   36,   1, true  },
        { "eq_led_png",         "eq_led.png",         eq_led_png,         eq_led_pngSize,         25,   88,   2, false },
        { "fader_png",          "fader.png",          fader_png,          fader_pngSize,          37,   38,   1, true  },
        { "help_png",           "help.png",           help_png,           help_pngSize,           87,   84,   2, false },
        { "mask_cables_png",    "mask_cables.png",    mask_cables_png,    mask_cables_pngSize,    1340, 15,   1, true  },
        { "mod_light_png",      "mod_light.png",      mod_light_png,      mod_light_pngSize,      52,   45,   1, false },
        { "push_mod_png",       "push_mod.png",       push_mod_png,       push_mod_pngSize,       52,   258,  3, false },
    } };
    return table;
}

inline bool isDocument (const ExpectedResource& r) { return r.width == 0; }
