#include "fields/validated_text.h"

#include "platform/text_control.h"

namespace quillet {

namespace {

std::wstring Wide(const wxString& text) { return text.ToStdWstring(); }

}  // namespace

ValidatedText::ValidatedText(wxWindow* parent, int kind, const wxString& /*label*/,
                             const wxString& value, int x, int y, int width, int height,
                             long style, const wxString& name, Callback callback)
    : wxTextCtrl(parent, wxID_ANY, value, wxPoint(x, y), wxSize(width, height), style,
                 wxDefaultValidator, name),
      m_kind(kind),
      m_savedCopy(GetValue()),
      m_callback(callback) {
    platform::KeepFirstLineOfPaste(*this);
    auto dispatch = [this](wxEvent& event) { Dispatch(event); };
    Bind(wxEVT_TEXT, dispatch);
    // Return reaches a field only when it asks for it; binding it otherwise
    // is refused by the toolkit.
    if (HasFlag(wxTE_PROCESS_ENTER)) Bind(wxEVT_TEXT_ENTER, dispatch);
    Bind(wxEVT_SET_FOCUS, dispatch);
    Bind(wxEVT_KILL_FOCUS, dispatch);
}

ValidatedText::~ValidatedText() = default;

void ValidatedText::Dispatch(wxEvent& event) {
    const wxEventType type = event.GetEventType();
    // GTK needs its own focus handling to run as well.
    if (type == wxEVT_SET_FOCUS || type == wxEVT_KILL_FOCUS) event.Skip();
    if (m_callback) m_callback(*this, event);
}

void ValidatedText::SetTextKeepingCaret(const wxString& newText) {
    const long caret = CaretAfterSet(GetInsertionPoint(), GetLastPosition(), Wide(newText));
    // Without a change notice of its own: this runs inside the field's
    // notice, and the MSW control's notices must not nest (its debug build
    // stops on it).  The text set here has been judged already.
    ChangeValue(newText);
    SetInsertionPoint(caret);
}

void ValidatedText::OnValidatedTextEvent(ValidatedText& field, wxEvent& event) {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_TEXT) {
        // The saved copy is the last accepted text even when it was an initial
        // value that would fail: it stands as it is.
        auto judge = [&field](const wxString& text) {
            return text == field.m_savedCopy ? TextVerdict::Accept
                                             : CheckText(field.m_kind, Wide(text));
        };
        const wxString typed = field.GetValue();
        wxString wanted = typed;
        TextVerdict verdict = judge(wanted);
        if (verdict == TextVerdict::ConvertComma) verdict = judge(wanted = ConvertCommas(Wide(typed)));
        if (verdict != TextVerdict::Accept) wanted = field.m_savedCopy;
        if (wanted != typed) field.SetTextKeepingCaret(wanted);
    } else if (type == wxEVT_TEXT_ENTER) {
        if (wxWindow* parent = field.GetParent()) parent->Close(false);
    }
    field.m_savedCopy = field.GetValue();
}

}  // namespace quillet
