# The instrument as a JUCE plug-in with its stand-alone application. The
# target VorsanTembrolin (JUCE's shared-code library) holds all of core/, ui/,
# info/ and the embedded resources, so tests and tools link it and the JUCE
# modules are compiled once. The stand-alone application and the LV2 and VST3
# plug-ins are thin wrappers around it.

juce_add_plugin(VorsanTembrolin
  PRODUCT_NAME "VorsanTembrolin"
  COMPANY_NAME "Vorsan"
  # What hosts show as the maker's address. The e-mail is a mailto: URI, as
  # both LV2 (foaf:mbox) and VST3 (factory info) expect one.
  COMPANY_WEBSITE "https://www.vorsan.example"
  COMPANY_EMAIL "mailto:support@vorsan.example"
  DESCRIPTION "String-and-brass ensemble keyboard"
  VERSION 1.0.0
  FORMATS Standalone LV2 VST3
  LV2URI "https://www.vorsan.example/plugins/VorsanTembrolin"
  VST3_CATEGORIES Instrument Synth
  IS_SYNTH TRUE
  NEEDS_MIDI_INPUT TRUE
  NEEDS_MIDI_OUTPUT TRUE
  IS_MIDI_EFFECT FALSE
  EDITOR_WANTS_KEYBOARD_FOCUS FALSE
  NEEDS_CURL TRUE
  # Never change these two codes or the LV2 URI: hosts find the plug-in in
  # saved sessions by them.
  PLUGIN_MANUFACTURER_CODE Vrsn
  PLUGIN_CODE Vtmb)

# Debian's JUCE ignores LV2URI and names the plug-in by its product name, which
# is no URI; the definition on the LV2 target takes precedence.
if(TARGET VorsanTembrolin_LV2)
  target_compile_definitions(VorsanTembrolin_LV2 PRIVATE
    JucePlugin_LV2URI="https://www.vorsan.example/plugins/VorsanTembrolin")
endif()

target_compile_definitions(VorsanTembrolin
  PUBLIC
    JUCE_USE_FLAC=0
    JUCE_USE_OGGVORBIS=0
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_STRICT_REFCOUNTEDPOINTER=1
    JUCE_VST3_CAN_REPLACE_VST2=0
    # The instrument ignores MIDI controllers: no 2080 stand-in parameters
    # for them in VST3 hosts.
    JUCE_VST3_EMULATE_MIDI_CC_WITH_PARAMETERS=0
    # The stand-alone application can play through a JACK server (ALSA when
    # none runs); libjack is loaded at run time, so nothing links it.
    JUCE_JACK=1
    JucePlugin_PreferredChannelConfigurations=0,2)

target_include_directories(VorsanTembrolin PUBLIC ${CMAKE_SOURCE_DIR})

# JUCE modules are linked privately (their sources would otherwise be compiled
# again into every target that links the plug-in).
target_link_libraries(VorsanTembrolin
  PRIVATE
    juce::juce_audio_utils
    juce::juce_gui_extra
    juce::juce_recommended_config_flags
    juce::juce_recommended_warning_flags
  PUBLIC
    vorsan_engine)

# Lets a test or tool compile against the plug-in's code with the same
# include paths and JUCE configuration, and link it.
function(vorsan_use_plugin target)
  target_include_directories(${target} PRIVATE
    $<TARGET_PROPERTY:VorsanTembrolin,INCLUDE_DIRECTORIES>)
  target_compile_definitions(${target} PRIVATE
    $<TARGET_PROPERTY:VorsanTembrolin,COMPILE_DEFINITIONS>)
  target_link_libraries(${target} PRIVATE VorsanTembrolin)
endfunction()

add_subdirectory(resources)
add_subdirectory(core)
add_subdirectory(ui)
add_subdirectory(info)
