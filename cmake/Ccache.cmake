# Uses ccache when it is installed: JUCE builds are slow, and most rebuilds repeat them.
find_program (CCACHE_PROGRAM ccache)

if (CCACHE_PROGRAM)
    set (CMAKE_C_COMPILER_LAUNCHER   "${CCACHE_PROGRAM}")
    set (CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()
