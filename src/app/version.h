#pragma once

namespace quillet {

// The product name and version as the title bar and the greeting show them:
// "Quillet " then this, so that five blanks stand before the V.
constexpr char kProductName[] = "Quillet ";
constexpr char kVersionText[] = "    V. 0.9.10 ";

}  // namespace quillet
