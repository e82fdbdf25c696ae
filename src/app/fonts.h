#pragma once

namespace quillet {

// Makes the four fonts of the program for the given scale base and stores
// them in the program-wide values.
void MakeFonts(int scaleBase);

}  // namespace quillet
