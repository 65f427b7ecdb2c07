// Little-endian loads and stores for the log file's integers and reals, whatever the
// host's byte order.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace tankora {

constexpr std::uint32_t loadUint32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

constexpr std::int32_t loadInt32(const std::uint8_t* p) { return static_cast<std::int32_t>(loadUint32(p)); }

constexpr void storeInt32(std::uint8_t* p, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

constexpr double loadDouble(const std::uint8_t* p) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
    return std::bit_cast<double>(bits);
}

constexpr void storeDouble(std::uint8_t* p, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace tankora
