#pragma once
#include <cstddef>

#include <wx/iconbndl.h>

namespace quillet {

// The program's icon in every size it is rendered in, so that the title
// bar, the task switcher and the dock each pick a sharp one.
wxIconBundle AppIcons();

// The rendered sizes as PNG files, compiled in by the build.
struct EmbeddedPng {
    const unsigned char* bytes;
    std::size_t size;
};
extern const EmbeddedPng kAppIconPngs[];
extern const int kAppIconPngCount;

}  // namespace quillet
