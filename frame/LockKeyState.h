#pragma once

#include <array>
#include <optional>

// Caps lock, num lock and scroll lock as the display server reports them, or
// nothing when the platform does not say (offscreen, Wayland).
std::optional<std::array<bool, 3>> QueryLockKeyStates();
