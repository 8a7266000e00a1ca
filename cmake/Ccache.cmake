# Uses ccache when it is installed: JUCE builds are slow, and most rebuilds repeat them.
# Paths are hashed relative to the source tree and the build folder is left out of the hash,
# so a fresh clone elsewhere (as CI makes) reuses what an earlier build compiled.
find_program (CCACHE_PROGRAM ccache)

if (CCACHE_PROGRAM)
    set (HESTREL_CCACHE_LAUNCHER "${CMAKE_COMMAND}" -E env "CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}" CCACHE_NOHASHDIR=1
                                 "${CCACHE_PROGRAM}")
    set (CMAKE_C_COMPILER_LAUNCHER   ${HESTREL_CCACHE_LAUNCHER})
    set (CMAKE_CXX_COMPILER_LAUNCHER ${HESTREL_CCACHE_LAUNCHER})
endif()
