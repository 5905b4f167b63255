// The fixed buffer sizes every subsystem shares.
#pragma once

#include <cstddef>

// Task fields, expanded texts, command lines and message texts.
constexpr size_t TextCapacity = 4096;
// Paths handed to path functions, macro values, names and patterns.
constexpr size_t PathCapacity = 260;
