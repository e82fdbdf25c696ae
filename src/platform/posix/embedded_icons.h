#pragma once
// The icon's rendered sizes as PNG files, compiled in by the build.
#include <cstddef>

namespace quillet {

struct EmbeddedPng {
    const unsigned char* bytes;
    std::size_t size;
};
extern const EmbeddedPng kAppIconPngs[];
extern const int kAppIconPngCount;

}  // namespace quillet
