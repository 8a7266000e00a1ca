#pragma once

#include <array>

/*  The facts about Hestrel that the plug-in, its tools, tests and benchmarks all depend on.
    Plain C++ with no JUCE, so that anything can include it; each fact is written only here.
*/

/** The parameter IDs. They reach host automation and saved projects, so they never change. */
namespace ParameterIDs
{
    inline constexpr const char* rmsWindow   = "rmsWindow";
    inline constexpr const char* bleedReject = "bleedReject";
    inline constexpr const char* threshold   = "threshold";
    inline constexpr const char* smoothing   = "smoothing";
    inline constexpr const char* weight      = "weight";
    inline constexpr const char* maxAtten    = "maxAtten";
}

/** The names the host shows for the parameters. */
namespace ParameterNames
{
    inline constexpr const char* rmsWindow   = "RMS Window";
    inline constexpr const char* bleedReject = "Bleed Rejection";
    inline constexpr const char* threshold   = "Noise Floor";
    inline constexpr const char* smoothing   = "Smoothing";
    inline constexpr const char* weight      = "Weight";
    inline constexpr const char* maxAtten    = "Max Attenuation";
}

/** One parameter as a host knows it: its ID and the name it shows. */
struct ParameterIdentity
{
    const char* parameterID;
    const char* displayName;
};

/** The six parameters in the order the plug-in creates them and the host lists them. */
inline constexpr std::array<ParameterIdentity, 6> hestrelParameters {{ { ParameterIDs::rmsWindow,   ParameterNames::rmsWindow },
                                                                       { ParameterIDs::bleedReject, ParameterNames::bleedReject },
                                                                       { ParameterIDs::threshold,   ParameterNames::threshold },
                                                                       { ParameterIDs::smoothing,   ParameterNames::smoothing },
                                                                       { ParameterIDs::weight,      ParameterNames::weight },
                                                                       { ParameterIDs::maxAtten,    ParameterNames::maxAtten } }};

/** How many instances in one process can share the bleed registry; later ones pass audio unchanged. */
inline constexpr int registrySlotCount = 16;
