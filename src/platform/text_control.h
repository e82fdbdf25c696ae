#pragma once
// Appending to a multi-line text control without the round trip through the
// toolkit's wide strings, which costs more than the insertion itself when a
// run hands over tens of megabytes.
#include <cstddef>
#include <functional>

class wxTextCtrl;

namespace quillet::platform {

// Makes control ready for AppendUtf8 and for following its end; call it
// once, right after creating the control (before it is ever frozen).
void PrepareAppend(wxTextCtrl& control);

// Whether the view follows the end of the text as it grows: true until the
// user scrolls away from the end, and again once they scroll back to it.
bool FollowsEnd(wxTextCtrl& control);
void SetFollowsEnd(wxTextCtrl& control, bool follows);
// Scrolls to the end of the text once the view has laid it out.
void ScrollToEnd(wxTextCtrl& control);

// The lines (counted from 0) at the top and at the bottom of what the view
// draws, as the toolkit has laid them out so far; -1 when it cannot tell.
struct LinesInView {
    long top = -1, bottom = -1;
};
LinesInView VisibleLines(wxTextCtrl& control);

// Empties control, in about the same time however much it holds.
void ClearText(wxTextCtrl& control);

// Appends valid UTF-8 at the end of control's text; works while the control
// is frozen too.
void AppendUtf8(wxTextCtrl& control, const char* utf8, std::size_t size);

// Between these two calls the control's text may grow by AppendUtf8 without
// the view and the toolkit following every piece: the view lets go of the
// text and takes it back, laid out anew, at the end, and the control's own
// change notifications are held back.  The view shows nothing meanwhile.
// With toEnd the view shows the text's end once it has it back.
void BeginBulkAppend(wxTextCtrl& control);
void EndBulkAppend(wxTextCtrl& control, bool toEnd);

// Between these two calls the view is not drawn: what a batch appends shows
// once, at its end, rather than piece by piece.  Unlike the bulk pair above,
// the view keeps the text and its place.  Not to be nested in the bulk pair.
// With toEnd the view shows the text's end when it is drawn again.
void BeginAppendBatch(wxTextCtrl& control);
void EndAppendBatch(wxTextCtrl& control, bool toEnd);

// How a control counts places in its text (selection, caret): GTK counts
// characters; the rich edit control counts UTF-16 units and takes a line end,
// "\r\n" too, as one.
enum class PlaceCount { Characters, Utf16LineEndsOne };
PlaceCount PlacesCounted();

// Selects [from, to) and scrolls it into view; the view then stays there
// while the text grows.
void SelectAndShow(wxTextCtrl& control, long from, long to);

// A single-line field keeps only the first line of a paste: a line break
// must never reach a command line.
void KeepFirstLineOfPaste(wxTextCtrl& field);

// Calls onCut whenever a single-line field keeps less of a text put into it
// (a paste, a set value) than it was given: the toolkit's fields end at
// 65,534 bytes and cut the rest without a word.
void SayWhenInsertionCut(wxTextCtrl& field, std::function<void()> onCut);

}  // namespace quillet::platform
