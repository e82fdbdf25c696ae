#include "platform/program_icons.h"

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include "platform/posix/embedded_icons.h"

namespace quillet::platform {

wxIconBundle ProgramIcons() {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxIconBundle bundle;
    for (int i = 0; i < kAppIconPngCount; ++i) {
        wxMemoryInputStream in(kAppIconPngs[i].bytes, kAppIconPngs[i].size);
        const wxImage image(in, wxBITMAP_TYPE_PNG);
        if (!image.IsOk()) continue;
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(image));
        bundle.AddIcon(icon);
    }
    return bundle;
}

}  // namespace quillet::platform
