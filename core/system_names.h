// The short Czech names the about box reports about the machine.
#pragma once

#include <cstdint>
#include <string>

// "16 barev", "256 barev", "16 bitů", "24 bitů", "32 bitů" or "není", from the
// colour count 2^bitsPerPixel * planes (computed in 64 bits).
std::string ColorDepthName(int bitsPerPixel, int planes);

// "Win95", "WinXP", ... or "nerozpoznáno", from the version information.
// The service-pack text is trimmed of spaces and control characters first.
std::string WindowsVersionName(
    unsigned long platformId, unsigned long major, unsigned long minor, const std::string& servicePack);

// "%d.%d" of the most significant word of a product version (1.4.0.0 → "1.4").
std::string ProductVersionText(std::uint32_t productVersionMS);
