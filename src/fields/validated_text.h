#pragma once
// A single-line text field that admits only text of one numeric kind.
#include <wx/textctrl.h>

#include "fields/numeric_checks.h"

namespace quillet {

class ValidatedText : public wxTextCtrl {
public:
    using Callback = void (*)(ValidatedText& field, wxEvent& event);

    // label has no place in a single-line wx text control; it is accepted
    // for the sake of the creators' argument lists and otherwise ignored.
    // A width or height of -1 leaves that size to the toolkit.  The initial
    // value is taken as accepted without a check.
    ValidatedText(wxWindow* parent, int kind, const wxString& label, const wxString& value,
                  int x, int y, int width, int height, long style, const wxString& name,
                  Callback callback);
    ~ValidatedText() override;

    // The handler that creators pass as callback: checks the text after each
    // change, restoring the last accepted text or converting a decimal comma,
    // and refreshes the saved copy after every event it is given.
    static void OnValidatedTextEvent(ValidatedText& field, wxEvent& event);

    int Kind() const { return m_kind; }
    const wxString& SavedCopy() const { return m_savedCopy; }

private:
    void Dispatch(wxEvent& event);
    // Puts newText into the field without raising a text event and places
    // the caret by CaretAfterSet.
    void SetTextKeepingCaret(const wxString& newText);

    int m_kind;
    wxString m_savedCopy;
    Callback m_callback;
};

}  // namespace quillet
