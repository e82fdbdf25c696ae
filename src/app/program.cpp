#include "app/program.h"

#include <wx/frame.h>

#include "app/main_frame.h"
#include "app/scale.h"

namespace quillet {

Program& TheProgram() {
    static Program program;
    return program;
}

void SetStatus(int field, const wxString& text) {
    MainFrame* frame = TheProgram().mainFrame;
    if (frame == nullptr) return;
    frame->SetStatusText(text, field);
}

int Px(int designUnits) { return Scaled(designUnits, TheProgram().scaleBase); }

}  // namespace quillet
