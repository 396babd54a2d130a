// The working folder of a soak run: a configuration with relays in Toggle,
// IF K1 and IF K2 mode on COM1, and a relf.ini with Remote on.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "soakjudge.h"

namespace quibrano::soak {

constexpr char kSoakConfigName[] = "soak.dat";

// The mode of each relay in the soak configuration.
std::array<int32_t, 6> SoakModes();
// Which relays those modes put under Toggle, IF K1 and IF K2.
RelayLayout LayoutOf(const std::array<int32_t, 6>& modes);

// Writes relf.ini and the configuration into folder (which becomes the
// current directory). "" on success, otherwise what failed.
std::string WriteSoakSetup(const std::string& folder, uint16_t port, const std::string& password);

}  // namespace quibrano::soak
