#include "pane/find_bar.h"

#include <chrono>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/sizer.h>

#include "pane/output_pane.h"
#include "platform/text_control.h"

namespace quillet {

namespace {
// Counting goes on in slices this long, in idle time: keys and paints come
// first, and never wait longer than a slice.
constexpr std::chrono::milliseconds kCountSlice{15};
constexpr std::size_t kCountStep = 256 * 1024;
// Text arriving during a run is counted a little later, in one go rather
// than after every piece.
constexpr int kGrowthPauseMs = 50;
}  // namespace

FindBar::FindBar(wxWindow* parent, OutputPane& pane, const wxFont& font)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE, "findbar"),
      pane_(pane),
      countTimer_(this) {
    SetFont(font);
    // The window is narrow: the field says what it is for itself, and the
    // count keeps what room is left.
    field_ = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                            wxSize(FromDIP(120), -1), wxTE_PROCESS_ENTER, wxDefaultValidator, "findfield");
    field_->SetHint("Find");
    matchCase_ = new wxCheckBox(this, wxID_ANY, "Match case");
    result_ = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                               wxST_NO_AUTORESIZE);
    auto* close = new wxButton(this, wxID_ANY, "Close", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    const int gap = FromDIP(6);
    row->Add(field_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    row->Add(matchCase_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    row->Add(result_, 1, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    row->Add(close, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, gap);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(row, 0, wxEXPAND | wxTOP | wxBOTTOM, FromDIP(2));
    SetSizer(column);

    field_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        finder_.reset();
        Find(Step::Here);
    });
    matchCase_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
        finder_.reset();
        Find(Step::Here);
    });
    close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (close_) close_();
    });
    Bind(wxEVT_CHAR_HOOK, &FindBar::OnKey, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        counting_ = true;
        wxWakeUpIdle();
    });
    Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
        event.Skip();
        if (!counting_) return;
        CountSome();
        if (counting_) event.RequestMore();
    });
}

bool FindBar::Show(bool show) {
    if (!show) countTimer_.Stop(), counting_ = false;
    const bool changed = wxPanel::Show(show);
    // What arrived while the bar was away is counted now.
    if (show) TextChanged();
    return changed;
}

void FindBar::FocusField() {
    field_->SetFocus();
    field_->SelectAll();
}

void FindBar::OnKey(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
        // Here Escape closes the bar; it never reaches the window, where it
        // would cancel a run.
        if (close_) close_();
        return;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        if (event.ShiftDown())
            FindPrevious();
        else
            FindNext();
        return;
    default:
        event.Skip();
    }
}

bool FindBar::Prepare() {
    const std::string needle = field_->GetValue().utf8_string();
    if (needle.empty()) {
        finder_.reset();
        counter_.reset();
        return false;
    }
    if (finder_ && generation_ == pane_.Text().Generation()) return true;
    counter_.reset();
    finder_ = std::make_unique<TextFinder>(needle, matchCase_->GetValue());
    counter_ = std::make_unique<MatchCounter>(*finder_);
    generation_ = pane_.Text().Generation();
    current_ = TextFinder::npos;
    return true;
}

void FindBar::Find(Step step) {
    note_.clear();
    if (!Prepare()) {
        current_ = TextFinder::npos;
        notFound_ = false;
        ShowResult();
        return;
    }
    const SearchableText& text = pane_.Text();
    const platform::PlaceCount rule = platform::PlacesCounted();
    long from = 0, to = 0;
    pane_.GetSelection(&from, &to);
    const std::size_t start = text.ByteOf(from, rule), end = text.ByteOf(to, rule);
    bool wrapped = false;
    const std::size_t found =
        step == Step::Previous ? finder_->Previous(text.View(), start, wrapped)
                               : finder_->Next(text.View(), step == Step::Next && end > start ? end : start, wrapped);
    current_ = found;
    notFound_ = found == TextFinder::npos;
    if (!notFound_) {
        platform::SelectAndShow(pane_, text.PlaceOf(found, rule), text.PlaceOf(found + finder_->Length(), rule));
        if (wrapped) note_ = "wrapped";
    }
    ShowResult();
    CountLater(0);
}

void FindBar::CountLater(int pauseMs) {
    if (counting_ || countTimer_.IsRunning() || !counter_ || counter_->Done(pane_.Text().View())) return;
    if (pauseMs > 0) {
        countTimer_.StartOnce(pauseMs);
    } else {
        counting_ = true;
        wxWakeUpIdle();
    }
}

void FindBar::TextChanged() {
    if (!IsShown() || field_->IsEmpty()) return;
    if (!finder_ || generation_ != pane_.Text().Generation()) {
        // A new text: nothing of it is selected yet, its matches are counted as it comes.
        finder_.reset();
        notFound_ = false;
        note_.clear();
        Prepare();
        ShowResult();
    }
    CountLater(kGrowthPauseMs);
}

void FindBar::CountSome() {
    counting_ = false;
    if (!counter_ || generation_ != pane_.Text().Generation()) return;
    const std::string_view text = pane_.Text().View();
    const auto until = std::chrono::steady_clock::now() + kCountSlice;
    while (counter_->Step(text, kCountStep) && std::chrono::steady_clock::now() < until) {
    }
    counting_ = !counter_->Done(text);
    ShowResult();
}

void FindBar::ShowResult() {
    wxString label;
    bool notFound = false;
    if (finder_) {
        const std::string_view text = pane_.Text().View();
        const bool done = counter_->Done(text);
        const long total = counter_->Count();
        const wxString more = done ? wxString() : wxString::FromUTF8("\u2026");
        const long before = current_ == TextFinder::npos ? -1 : counter_->CountBefore(text, current_);
        if (before >= 0)
            label.Printf("%ld of %ld", before + 1, total);
        else if (total > 0 || (!done && !notFound_))
            label.Printf("%ld found", total);
        else
            label = "Not found", notFound = true;
        if (!notFound) label += more;
        if (!note_.empty()) label += ", " + note_;
    }
    SayNotFound(notFound);
    if (result_->GetLabel() != label) result_->SetLabel(label);
}

void FindBar::SayNotFound(bool notFound) {
    if (notFound == red_) return;
    red_ = notFound;
    field_->SetBackgroundColour(notFound ? wxColour(255, 200, 200) : wxNullColour);
    field_->Refresh();
}

}  // namespace quillet
