// The platform's random source: uniform, independent 32-bit values from the kernel's
// generator. The C library may declare the same function; this definition takes its
// place in processes that load the platform, so every caller draws from one source.
#pragma once

#include <cstdint>
#include <cstdlib>

extern "C" std::uint32_t arc4random(void) noexcept;
