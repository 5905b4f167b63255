// The fixed buffer sizes every subsystem shares.
//
// The program's text is UTF-8; the system counts in UTF-16 units. A limit is stated in UTF-16
// units (characters, but two for one outside the Basic Multilingual Plane) and decided with
// TextFitsUnits; a buffer holds that many units as UTF-8, at most three bytes a unit.
#pragma once

#include <cstddef>

// The longest task field, expanded text or command line: 4095 UTF-16 units.
constexpr size_t TextUnitLimit = 4095;
// Task fields, expanded texts, command lines and message texts: TextUnitLimit units as UTF-8.
constexpr size_t TextCapacity = TextUnitLimit * 3 + 1;
// The system's short path limit (MAX_PATH less its terminator), in UTF-16 units.
constexpr size_t PathUnitLimit = 259;
// Paths handed to path functions, macro values, names and patterns: PathUnitLimit units as UTF-8.
constexpr size_t PathCapacity = PathUnitLimit * 3 + 1;
