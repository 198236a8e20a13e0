// What part of the problem (or of the program's settings) an operation changed, so that every
// window showing it can refresh itself.
#pragma once

#include <cstdint>

namespace velkor {

enum class Change : uint32_t {
    None = 0,
    Counts = 1u << 0,        // NA, NB, NN, NM, NW, NP (table sizes as shown)
    Mesh = 1u << 1,          // node coordinates, element corners, blocks
    NodeValues = 1u << 2,    // B, T, F, Q, Type of nodes
    Soils = 1u << 3,         // K, n, R, I
    Wells = 1u << 4,         // well nodes and discharges
    Particles = 1u << 5,     // particle start points
    Results = 1u << 6,       // heads, discharges and velocities of a solve, or their clearing
    FileName = 1u << 7,      // the datafile name (and the save proposal)
    GeneralData = 1u << 8,   // problem name, LX, LY, TM
    Options = 1u << 9,       // the option settings
    Installation = 1u << 10, // user name and capacity limits
    // A new problem altogether (read, New, the default problem after new limits).
    Problem = Counts | Mesh | NodeValues | Soils | Wells | Particles | Results | FileName | GeneralData
};

constexpr Change operator|(Change a, Change b) {
    return static_cast<Change>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr Change operator&(Change a, Change b) {
    return static_cast<Change>(static_cast<uint32_t>(a) & static_cast<uint32_t>(b));
}
constexpr Change& operator|=(Change& a, Change b) {
    return a = a | b;
}
// True when the two sets share a part.
constexpr bool touches(Change a, Change b) {
    return (a & b) != Change::None;
}

} // namespace velkor
