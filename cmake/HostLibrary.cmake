# One static library of the JUCE modules that the host side needs (VST3 hosting, audio files,
# windows), compiled once; the host library (host/) builds on it for the test host, the window
# test, hestrel-render and the benchmarks.

find_package (PkgConfig REQUIRED)
pkg_check_modules (HESTREL_CODECS REQUIRED IMPORTED_TARGET flac vorbis vorbisenc vorbisfile ogg)
pkg_check_modules (HESTREL_IMAGE_LIBS REQUIRED IMPORTED_TARGET libpng libjpeg zlib)

add_library (hestrel_host_juce STATIC)

target_link_libraries (hestrel_host_juce
    PRIVATE
        juce::juce_audio_processors
        juce::juce_audio_formats
        juce::juce_gui_extra
    PUBLIC
        PkgConfig::HESTREL_CODECS
        PkgConfig::HESTREL_IMAGE_LIBS
        juce::juce_recommended_config_flags
        juce::juce_recommended_warning_flags)

target_compile_definitions (hestrel_host_juce
    PUBLIC
        JUCE_PLUGINHOST_VST3=1
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_STANDALONE_APPLICATION=1
        # Debian ships JUCE without its copies of the codecs: use the system's.
        JUCE_USE_FLAC=1
        JUCE_INCLUDE_FLAC_CODE=0
        JUCE_USE_OGGVORBIS=1
        JUCE_INCLUDE_OGGVORBIS_CODE=0
        JUCE_MODAL_LOOPS_PERMITTED=1
    INTERFACE
        $<TARGET_PROPERTY:hestrel_host_juce,COMPILE_DEFINITIONS>)

target_include_directories (hestrel_host_juce
    INTERFACE
        $<TARGET_PROPERTY:hestrel_host_juce,INCLUDE_DIRECTORIES>)

set_target_properties (hestrel_host_juce PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)
