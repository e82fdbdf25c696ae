#include "app/program.h"

#include <wx/frame.h>
#include <wx/statusbr.h>

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
    // The run blocks the event loop; the text must be seen now, not later.
    if (wxStatusBar* bar = frame->GetStatusBar()) bar->Update();
}

int Px(int designUnits) { return Scaled(designUnits, TheProgram().scaleBase); }

}  // namespace quillet
