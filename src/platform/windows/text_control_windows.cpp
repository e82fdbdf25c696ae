#include "platform/text_control.h"

#include <cmath>
#include <string>

#include <windows.h>
#include <richedit.h>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/textctrl.h>

#include "platform/windows/wide_text.h"

namespace quillet::platform {

// The pane is a rich edit control (the plain edit control stops at 64 KB
// and slows down long before).  Whether the view follows the end is kept
// as a window property, with the scroll position at which this program last
// left the view: a view still there has not been moved by the user.

namespace {
const wchar_t kFollowsProp[] = L"quillet.follows";
const wchar_t kLeftAtProp[] = L"quillet.leftAt";
// Set while the text appended last ended in a carriage return.
const wchar_t kEndedInCrProp[] = L"quillet.endedInCr";
// Whether the view follows the end, as decided when a batch of appends
// began (1: it does, 2: it does not): nothing can move the view meanwhile.
const wchar_t kBatchFollowsProp[] = L"quillet.batchFollows";

HWND Window(wxTextCtrl& control) { return static_cast<HWND>(control.GetHWND()); }

SCROLLINFO VerticalScroll(HWND window) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(window, SB_VERT, &info)) info.nMax = -1;
    return info;
}

bool AtBottom(const SCROLLINFO& info) {
    // Windows stops one position further down than Wine.
    return info.nMax < 0 || info.nPos + static_cast<int>(info.nPage) >= info.nMax;
}

// The control's scroll positions are 16-bit: past 65,535 pixels of text,
// some 3,600 lines, EM_GETSCROLLPOS and the scroll bar give them scaled
// down, which EM_SETSCROLLPOS takes as pixels.  Lines are not, so a place
// in such a text is kept as its first line too, and put right by lines.
// Finding the first line in view walks every line above it in Wine's
// control, so only there.
constexpr LONG kScrollPosLimit = 0xFFFF;

long FirstLineInView(HWND window) { return static_cast<long>(SendMessageW(window, EM_GETFIRSTVISIBLELINE, 0, 0)); }

struct ViewPlace {
    POINT at{};
    long firstLine = -1;  // in a text past the limit only
};

ViewPlace PlaceOf(HWND window) {
    ViewPlace place;
    SendMessageW(window, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&place.at));
    if (VerticalScroll(window).nMax >= kScrollPosLimit) place.firstLine = FirstLineInView(window);
    return place;
}

void SetScrollPlace(HWND window, const ViewPlace& place) {
    SendMessageW(window, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&place.at));
    if (place.firstLine < 0) return;
    const long firstLine = place.firstLine;
    // Wine's control scrolls by lines of its own default font, not of the
    // pane's: a step or two more come within a line of the place.
    long now = FirstLineInView(window);
    double linesPerStep = 1.0;
    for (int step = 0; step < 4 && now != firstLine; ++step) {
        const long ask = std::lround((firstLine - now) / linesPerStep);
        if (ask == 0) break;
        SendMessageW(window, EM_LINESCROLL, 0, ask);
        const long after = FirstLineInView(window);
        if (after == now) break;
        linesPerStep = static_cast<double>(after - now) / static_cast<double>(ask);
        now = after;
    }
}

// Scrolls to the left edge and leaves the vertical place alone, which
// WM_HSCROLL's SB_LEFT does not do in Wine's control (SB_LEFT is SB_TOP).
void ToLeftEdge(HWND window) {
    POINT at{};
    SendMessageW(window, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));
    if (at.x == 0) return;
    ViewPlace place = PlaceOf(window);
    place.at.x = 0;
    SetScrollPlace(window, place);
}

// Down by more lines than the pane holds, which stops at the end.
// SB_BOTTOM would do it too, but Wine's control also scrolls to the right
// end there (SB_BOTTOM is SB_RIGHT), and the way back to the left edge past
// the 16-bit positions costs walks over every line.
void DownToEnd(HWND window) { SendMessageW(window, EM_LINESCROLL, 0, 1 << 22); }

void RememberPosition(HWND window) {
    // Kept one above the position, so that position 0 is not "unset".
    SetPropW(window, kLeftAtProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(VerticalScroll(window).nPos + 1)));
}
}  // namespace

void PrepareAppend(wxTextCtrl& control) {
    // Room for everything the pane may hold; the control's default is 32 KB
    // of typed text.
    SendMessageW(Window(control), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SetFollowsEnd(control, true);
}

bool FollowsEnd(wxTextCtrl& control) {
    const HWND window = Window(control);
    if (const INT_PTR batch = reinterpret_cast<INT_PTR>(GetPropW(window, kBatchFollowsProp))) return batch == 1;
    const SCROLLINFO info = VerticalScroll(window);
    // Past 65,535 pixels the scroll bar's positions are scaled down, and a
    // view a few hundred lines above the end would look as if at the end:
    // a view that moved is then asked by lines.
    const bool scaled = info.nMax >= kScrollPosLimit;
    if (!scaled && AtBottom(info)) return true;
    const INT_PTR leftAt = reinterpret_cast<INT_PTR>(GetPropW(window, kLeftAtProp));
    if (GetPropW(window, kFollowsProp) != nullptr && leftAt == info.nPos + 1) return true;
    return scaled && VisibleLines(control).bottom >= SendMessageW(window, EM_GETLINECOUNT, 0, 0) - 1;
}

void SetFollowsEnd(wxTextCtrl& control, bool follows) {
    const HWND window = Window(control);
    if (follows)
        SetPropW(window, kFollowsProp, reinterpret_cast<HANDLE>(1));
    else
        RemovePropW(window, kFollowsProp);
    RememberPosition(window);
}

void ScrollToEnd(wxTextCtrl& control) {
    const HWND window = Window(control);
    DownToEnd(window);
    ToLeftEdge(window);
    SetPropW(window, kFollowsProp, reinterpret_cast<HANDLE>(1));
    RememberPosition(window);
}

void ClearText(wxTextCtrl& control) {
    const HWND old = Window(control);
    // Wine's control deletes text a paragraph at a time and finds each one
    // by walking from the start, or shifts every later one: emptying n lines
    // takes n * n / 2 steps, an hour for 600,000.  A pane of many lines gets
    // a fresh, empty control in its place instead, set up as the old one
    // was; the old one then goes in one sweep.
    RemovePropW(old, kEndedInCrProp);
    if (SendMessageW(old, EM_GETLINECOUNT, 0, 0) < 2000) {
        SetWindowTextW(old, L"");
        return;
    }
    wchar_t className[64] = {};
    RECT at{};
    GetWindowRect(old, &at);
    MapWindowPoints(HWND_DESKTOP, GetParent(old), reinterpret_cast<POINT*>(&at), 2);
    const HWND fresh =
        GetClassNameW(old, className, 64) == 0
            ? nullptr
            : CreateWindowExW(static_cast<DWORD>(GetWindowLongW(old, GWL_EXSTYLE)), className, L"",
                              static_cast<DWORD>(GetWindowLongW(old, GWL_STYLE)), at.left, at.top,
                              at.right - at.left, at.bottom - at.top, GetParent(old),
                              reinterpret_cast<HMENU>(GetWindowLongPtrW(old, GWLP_ID)),
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(old, GWLP_HINSTANCE)), nullptr);
    if (fresh == nullptr) {
        SetWindowTextW(old, L"");
        return;
    }
    SendMessageW(fresh, WM_SETFONT, reinterpret_cast<WPARAM>(control.GetFont().GetHFONT()), FALSE);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(old, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(fresh, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(fresh, EM_SETEVENTMASK, 0, SendMessageW(old, EM_GETEVENTMASK, 0, 0));
    SendMessageW(fresh, EM_SETLANGOPTIONS, 0, SendMessageW(old, EM_GETLANGOPTIONS, 0, 0));
    SendMessageW(fresh, EM_SETOPTIONS, ECOOP_SET, SendMessageW(old, EM_GETOPTIONS, 0, 0));
    SendMessageW(fresh, EM_EXLIMITTEXT, 0, SendMessageW(old, EM_GETLIMITTEXT, 0, 0));
    SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const bool focused = GetFocus() == old;
    control.DissociateHandle();
    control.AssociateHandle(reinterpret_cast<WXWidget>(fresh));
    if (focused) SetFocus(fresh);
    RemovePropW(old, kFollowsProp);
    RemovePropW(old, kLeftAtProp);
    RemovePropW(old, kBatchFollowsProp);
    DestroyWindow(old);
}

namespace {
// Line ends as the toolkit hands them to the control: "\r\n".  A line end
// that is "\r\n" already stays as it is, also when its two halves come in
// separate appends: the control takes "\r\r\n" for a blank, which would
// join the lines of a file written on Windows.
std::wstring ControlText(HWND window, const char* utf8, std::size_t size) {
    std::wstring text;
    text.reserve(size + size / 32);
    bool afterCr = GetPropW(window, kEndedInCrProp) != nullptr;
    for (wchar_t c : Wide(std::string(utf8, size))) {
        if (c == L'\n' && !afterCr) text += L'\r';
        // The carriage return that ended the last append made this line end.
        if (c == L'\n' && afterCr && text.empty()) {
            afterCr = false;
            continue;
        }
        text += c;
        afterCr = c == L'\r';
    }
    if (afterCr)
        SetPropW(window, kEndedInCrProp, reinterpret_cast<HANDLE>(1));
    else if (size > 0)
        RemovePropW(window, kEndedInCrProp);
    return text;
}
}  // namespace

void AppendUtf8(wxTextCtrl& control, const char* utf8, std::size_t size) {
    const HWND window = Window(control);
    const std::wstring text = ControlText(window, utf8, size);
    if (text.empty()) return;
    // The caret goes to the end by a position past it, which the control
    // takes as "the end" at once; naming the end's own position makes Wine's
    // control walk every paragraph, on each of thousands of appends.
    CHARRANGE was{};
    SendMessageW(window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&was));
    const bool selected = was.cpMin != was.cpMax;
    const bool follows = FollowsEnd(control);
    ViewPlace place;
    if (!follows) place = PlaceOf(window);
    GETTEXTLENGTHEX length{GTL_DEFAULT, 1200};
    const LONG end = static_cast<LONG>(SendMessageW(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    CHARRANGE pastEnd{end + 1, end + 1};
    SendMessageW(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&pastEnd));
    // The pane is read only, so nothing is kept for undoing.
    SendMessageW(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    if (selected) SendMessageW(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&was));
    if (!follows) {
        SetScrollPlace(window, place);
        return;
    }
    if (!control.IsFrozen()) DownToEnd(window);
    // The control scrolls sideways to the end of what it was given, as far
    // as the echoed command line reaches; a view that follows the output
    // goes back to where its next lines start.
    if (size > 0 && utf8[size - 1] == '\n') ToLeftEdge(window);
    if (!GetPropW(window, kBatchFollowsProp)) RememberPosition(window);
}

PlaceCount PlacesCounted() { return PlaceCount::Utf16LineEndsOne; }

void SelectAndShow(wxTextCtrl& control, long from, long to) {
    const HWND window = Window(control);
    CHARRANGE range{from, to};
    SendMessageW(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(window, EM_SCROLLCARET, 0, 0);
    SetFollowsEnd(control, false);
}

namespace {
void FreezeFor(wxTextCtrl& control) {
    const bool follows = FollowsEnd(control);
    SetPropW(Window(control), kBatchFollowsProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(follows ? 1 : 2)));
    control.Freeze();
}

// The view moves to the end while the control is still frozen, which costs
// nothing to speak of; the thaw then draws the end once, when the event
// loop comes to it.  Scrolled after the thaw, Wine's control draws the
// whole view on the spot for each of the two scroll messages, 20 to 45 ms
// apiece and more as the text grows, within the slice of the run.
void ThawAt(wxTextCtrl& control, bool toEnd) {
    RemovePropW(Window(control), kBatchFollowsProp);
    if (toEnd) ScrollToEnd(control);
    if (control.IsFrozen()) control.Thaw();
}
}  // namespace

void BeginBulkAppend(wxTextCtrl& control) { FreezeFor(control); }

void EndBulkAppend(wxTextCtrl& control, bool toEnd) { ThawAt(control, toEnd); }

// Wine's control draws what is in view after each insertion and each scroll,
// some 20 ms every time, which live output paid several times a slice.
void BeginAppendBatch(wxTextCtrl& control) { FreezeFor(control); }

void EndAppendBatch(wxTextCtrl& control, bool toEnd) { ThawAt(control, toEnd); }

LinesInView VisibleLines(wxTextCtrl& control) {
    LinesInView lines;
    const HWND window = Window(control);
    RECT shown;
    if (!GetClientRect(window, &shown) || shown.bottom <= shown.top) return lines;
    lines.top = static_cast<long>(SendMessageW(window, EM_GETFIRSTVISIBLELINE, 0, 0));
    // The rich edit control takes the point by address and answers with the
    // character nearest to it.
    POINTL bottomLeft{shown.left + 1, shown.bottom - 1};
    const LRESULT at = SendMessageW(window, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottomLeft));
    lines.bottom = static_cast<long>(SendMessageW(window, EM_EXLINEFROMCHAR, 0, at));
    return lines;
}

void KeepFirstLineOfPaste(wxTextCtrl& field) {
    field.Bind(wxEVT_TEXT_PASTE, [&field](wxClipboardTextEvent&) {
        wxTextDataObject data;
        if (!wxTheClipboard->Open()) return;
        const bool got = wxTheClipboard->GetData(data);
        wxTheClipboard->Close();
        if (!got) return;
        const wxString text = data.GetText();
        const size_t end = text.find_first_of(wxS("\r\n"));
        const wxString line = end == wxString::npos ? text : text.substr(0, end);
        long from = 0, to = 0;
        field.GetSelection(&from, &to);
        const long before = field.GetLastPosition() - (to - from);
        field.WriteText(line);
        // The edit control takes no more than its limit and drops the rest
        // of an insertion; that is what the field's "full" event says.
        if (field.GetLastPosition() - before < static_cast<long>(line.length())) {
            wxCommandEvent full(wxEVT_TEXT_MAXLEN, field.GetId());
            full.SetEventObject(&field);
            field.GetEventHandler()->ProcessEvent(full);
        }
    });
}

void SayWhenInsertionCut(wxTextCtrl& field, std::function<void()> onCut) {
    // The same limit as the other build's fields, rather than the edit
    // control's default of 32,767.
    SendMessageW(Window(field), EM_LIMITTEXT, 65534, 0);
    // Sent by the toolkit when the field refuses typed text at a limit, and
    // by the paste above when it was cut.
    field.Bind(wxEVT_TEXT_MAXLEN, [onCut = std::move(onCut)](wxCommandEvent&) {
        if (onCut) onCut();
    });
}

}  // namespace quillet::platform
