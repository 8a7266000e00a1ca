# Builds the VST3 wrapper from a patched copy of JUCE's juce_audio_plugin_client module.
#
# The wrapper is JUCE's code, compiled into the bundle from the system's module sources. Its
# reading of the private-data trailer in a component state, and its copying of blocks longer
# than the host announced, need bounds checks that 7.0.5 lacks (see the patch for what and
# why). The module is copied into the build tree once per version of the patch, patched there,
# and the wrapper target's VST3 source is pointed at the copy; the installed JUCE stays
# untouched and every other module is used as installed.

set (HESTREL_JUCE_PATCH "${CMAKE_CURRENT_SOURCE_DIR}/patches/juce-7.0.5-vst3-wrapper-bounds.patch")

if (NOT JUCE_VERSION VERSION_EQUAL 7.0.5)
    message (FATAL_ERROR "${HESTREL_JUCE_PATCH} is for JUCE 7.0.5, found ${JUCE_VERSION}: port it first")
endif()

find_program (HESTREL_PATCH_PROGRAM patch REQUIRED)

set (patchedModules "${CMAKE_BINARY_DIR}/juce-patched")
set (stampFile "${patchedModules}/patch.sha256")
file (SHA256 "${HESTREL_JUCE_PATCH}" patchHash)
set (stamp "")

if (EXISTS "${stampFile}")
    file (READ "${stampFile}" stamp)
endif()

if (NOT stamp STREQUAL patchHash)
    file (REMOVE_RECURSE "${patchedModules}")
    file (COPY "${JUCE_MODULES_DIR}/juce_audio_plugin_client" DESTINATION "${patchedModules}")

    execute_process (COMMAND "${HESTREL_PATCH_PROGRAM}" -p1 --batch --forward --quiet -i "${HESTREL_JUCE_PATCH}"
                     WORKING_DIRECTORY "${patchedModules}"
                     RESULT_VARIABLE patchResult)

    if (NOT patchResult EQUAL 0)
        file (REMOVE_RECURSE "${patchedModules}")
        message (FATAL_ERROR "Could not apply ${HESTREL_JUCE_PATCH} to ${JUCE_MODULES_DIR}/juce_audio_plugin_client")
    endif()

    file (WRITE "${stampFile}" "${patchHash}")
endif()

set_property (DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${HESTREL_JUCE_PATCH}")

get_target_property (wrapperSources juce_audio_plugin_client_VST3 INTERFACE_SOURCES)
list (TRANSFORM wrapperSources
      REPLACE "^.*/juce_audio_plugin_client/juce_audio_plugin_client_VST3\\.cpp$"
              "${patchedModules}/juce_audio_plugin_client/juce_audio_plugin_client_VST3.cpp")
set_property (TARGET juce_audio_plugin_client_VST3 PROPERTY INTERFACE_SOURCES "${wrapperSources}")

if (NOT wrapperSources MATCHES "juce-patched")
    message (FATAL_ERROR "The VST3 wrapper target has no juce_audio_plugin_client_VST3.cpp to replace")
endif()

set (HESTREL_PATCHED_MODULES "${patchedModules}")

# The copy's headers include the module's own headers by module path: they must find the copy,
# or a compiler that tells files apart by path (clang) sees each definition twice.
function (hestrel_use_patched_plugin_client target)
    target_include_directories (${target} BEFORE PRIVATE "${HESTREL_PATCHED_MODULES}")
endfunction()
