#pragma once
// Every place and size on screen is a design value on an 800-unit scale,
// turned into pixels against the scale base (the screen width, at least 1024).

namespace quillet {

// k design units in pixels: the multiplication comes first and the division
// truncates, so that 240 units at 1024 are 307 and not 307.2 rounded.
constexpr int Scaled(int k, int base) { return k * base / 800; }

// A length in pixels of an unscaled display (96 dots per inch) on one of dpi
// dots per inch, rounded to the nearest pixel as the toolkit rounds it.
constexpr int AtDpi(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

// Screens narrower than 1024 pixels get the 1024 layout all the same.
constexpr int ScaleBaseForScreenWidth(int screenWidth) {
    return screenWidth <= 1023 ? 1024 : screenWidth;
}

}  // namespace quillet
