#pragma once
// The slim bar under the output pane that finds text in it: the search runs
// over the pane's own copy of its text (find_in_text.h); this bar only reads
// the field, selects what was found and says how many matches there are,
// counted in slices from the event loop so that a huge output never stalls
// the window.
#include <functional>
#include <memory>

#include <wx/checkbox.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "pane/find_in_text.h"

namespace quillet {

class OutputPane;

class FindBar : public wxPanel {
public:
    FindBar(wxWindow* parent, OutputPane& pane, const wxFont& font);

    // Escape in the bar asks for it to close; the owner hides it.
    void SetCloseHandler(std::function<void()> handler) { close_ = std::move(handler); }

    // The focus into the field, its text selected for typing over.
    void FocusField();
    bool HasText() const { return !field_->IsEmpty(); }
    void FindNext() { Find(Step::Next); }
    void FindPrevious() { Find(Step::Previous); }
    // Called whenever the pane's text changes: a new text voids what was
    // found, a longer one is counted on.
    void TextChanged();

    wxTextCtrl* Field() const { return field_; }
    wxCheckBox* MatchCase() const { return matchCase_; }
    wxString Result() const { return result_->GetLabel(); }
    bool Counting() const { return counting_ || countTimer_.IsRunning(); }
    bool NotFound() const { return notFound_; }

    bool Show(bool show = true) override;

private:
    enum class Step { Here, Next, Previous };

    void Find(Step step);
    // A finder for the field's text; false when there is nothing to look for.
    bool Prepare();
    // Counting goes on in idle time, after whatever the window has to draw.
    void CountLater(int pauseMs);
    void CountSome();
    void ShowResult();
    void OnKey(wxKeyEvent& event);

    OutputPane& pane_;
    wxTextCtrl* field_;
    wxCheckBox* matchCase_;
    wxStaticText* result_;
    std::function<void()> close_;

    void SayNotFound(bool notFound);

    std::unique_ptr<TextFinder> finder_;
    std::unique_ptr<MatchCounter> counter_;
    unsigned long generation_ = 0;  // of the text the counter counts
    std::size_t current_ = TextFinder::npos;  // the selected match's first byte
    bool notFound_ = false;
    bool red_ = false;
    wxString note_;  // went round the end
    bool counting_ = false;
    wxTimer countTimer_;
};

}  // namespace quillet
