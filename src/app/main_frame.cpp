#include "app/main_frame.h"

namespace quillet {

MainFrame::MainFrame(wxWindow* parent, const wxString& title, int x, int y, int width, int height)
    : wxFrame(parent, wxID_ANY, title, wxPoint(x, y), wxSize(width, height),
              wxDEFAULT_FRAME_STYLE, "frame") {}

}  // namespace quillet
