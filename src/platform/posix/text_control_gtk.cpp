#include "platform/text_control.h"

#include <wx/textctrl.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace quillet::platform {

#ifdef __WXGTK__
namespace {
// A frozen control shows an empty stand-in buffer and keeps its own aside,
// so the real one is remembered while the control is not frozen.
const char kBufferKey[] = "quillet-text-buffer";
const char kFollowsKey[] = "quillet-follows-end";
const char kEndMarkKey[] = "quillet-end-mark";

GtkTextBuffer* OwnBuffer(GtkWidget* view) {
    return static_cast<GtkTextBuffer*>(g_object_get_data(G_OBJECT(view), kBufferKey));
}

// Every move of the view, the user's and the view's own, tells whether it
// now shows the end; growth of the text alone moves nothing.
void OnViewMoved(GtkAdjustment* adjustment, gpointer data) {
    GtkWidget* view = GTK_WIDGET(data);
    // While the view shows a stand-in for a bulk append, its moves mean nothing.
    if (gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)) != OwnBuffer(view)) return;
    const double bottom = gtk_adjustment_get_value(adjustment) + gtk_adjustment_get_page_size(adjustment);
    const bool atEnd = bottom >= gtk_adjustment_get_upper(adjustment) - 1.0;
    g_object_set_data(G_OBJECT(view), kFollowsKey, GINT_TO_POINTER(atEnd ? 1 : 0));
}

// The view lays its text out bit by bit after the text has changed, in its
// own idle time, and each bit may change the height of the text: a scroll
// to the end made before that lands in the middle.  Following the height
// itself keeps the end in view until the layout is done, with no work of
// our own once it is.
void OnHeightChanged(GtkAdjustment* adjustment, gpointer data) {
    GtkWidget* view = GTK_WIDGET(data);
    if (gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)) != OwnBuffer(view) ||
        g_object_get_data(G_OBJECT(view), kFollowsKey) == nullptr)
        return;
    const double end = gtk_adjustment_get_upper(adjustment) - gtk_adjustment_get_page_size(adjustment);
    if (gtk_adjustment_get_value(adjustment) < end) gtk_adjustment_set_value(adjustment, end);
}
}
#endif

// The toolkit's own emptying, not a derived control's (which may call this).
void ClearText(wxTextCtrl& control) { control.wxTextCtrl::Clear(); }

void PrepareAppend(wxTextCtrl& control) {
#ifdef __WXGTK__
    GtkWidget* view = control.GetConnectWidget();
    if (control.IsFrozen() || !GTK_IS_TEXT_VIEW(view)) return;
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    g_object_set_data(G_OBJECT(view), kBufferKey, buffer);
    g_object_set_data(G_OBJECT(view), kFollowsKey, GINT_TO_POINTER(1));
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(buffer, &end);
    // Right gravity: the mark stays behind whatever is appended.
    g_object_set_data(G_OBJECT(view), kEndMarkKey,
                      gtk_text_buffer_create_mark(buffer, nullptr, &end, FALSE));
    if (GtkAdjustment* adjustment = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view))) {
        g_signal_connect(adjustment, "value-changed", G_CALLBACK(OnViewMoved), view);
        g_signal_connect(adjustment, "changed", G_CALLBACK(OnHeightChanged), view);
    }
#else
    (void)control;
#endif
}

void AppendUtf8(wxTextCtrl& control, const char* utf8, std::size_t size) {
#ifdef __WXGTK__
    GtkWidget* view = control.GetConnectWidget();
    auto* buffer = static_cast<GtkTextBuffer*>(g_object_get_data(G_OBJECT(view), kBufferKey));
    if (buffer != nullptr) {
        GtkTextIter end;
        gtk_text_buffer_get_end_iter(buffer, &end);
        // The toolkit's own listeners would turn every piece into a change
        // event that nobody waits for.
        g_signal_handlers_block_matched(buffer, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, &control);
        gtk_text_buffer_insert(buffer, &end, utf8, static_cast<gint>(size));
        g_signal_handlers_unblock_matched(buffer, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, &control);
        return;
    }
#endif
    control.AppendText(wxString::FromUTF8Unchecked(utf8, size));
}

void BeginBulkAppend(wxTextCtrl& control) {
#ifdef __WXGTK__
    GtkWidget* view = control.GetConnectWidget();
    auto* buffer = static_cast<GtkTextBuffer*>(g_object_get_data(G_OBJECT(view), kBufferKey));
    if (buffer == nullptr || gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)) != buffer) return;
    // The view holds the only reference to the control's buffer: keep it
    // alive while the view shows a stand-in.
    g_object_ref(buffer);
    GtkTextBuffer* standIn = gtk_text_buffer_new(gtk_text_buffer_get_tag_table(buffer));
    gtk_text_view_set_buffer(GTK_TEXT_VIEW(view), standIn);
    g_object_unref(standIn);
#else
    control.Freeze();
#endif
}

void EndBulkAppend(wxTextCtrl& control, bool toEnd) {
#ifdef __WXGTK__
    GtkWidget* view = control.GetConnectWidget();
    auto* buffer = static_cast<GtkTextBuffer*>(g_object_get_data(G_OBJECT(view), kBufferKey));
    if (buffer != nullptr && gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)) != buffer) {
        gtk_text_view_set_buffer(GTK_TEXT_VIEW(view), buffer);
        g_object_unref(buffer);
    }
#else
    control.Thaw();
#endif
    if (toEnd) ScrollToEnd(control);
}

// GTK lays out and draws in its own frame cycle, once for all a batch appends.
void BeginAppendBatch(wxTextCtrl&) {}
void EndAppendBatch(wxTextCtrl& control, bool toEnd) {
    if (toEnd) ScrollToEnd(control);
}

void KeepFirstLineOfPaste(wxTextCtrl& field) {
#ifdef __WXGTK__
    GtkWidget* widget = field.GetConnectWidget();
    if (GTK_IS_ENTRY(widget)) g_object_set(widget, "truncate-multiline", TRUE, nullptr);
#else
    (void)field;
#endif
}

#ifdef __WXGTK__
namespace {
// What an insertion was given, looked at before the field takes it and
// compared with what it took afterwards.
struct InsertionWatch {
    std::function<void()> onCut;
    gint lengthBefore = 0, given = 0;
};

void BeforeInsertion(GtkEditable* editable, const gchar* text, gint bytes, gint*, gpointer data) {
    auto* watch = static_cast<InsertionWatch*>(data);
    watch->lengthBefore = gtk_entry_get_text_length(GTK_ENTRY(editable));
    watch->given = static_cast<gint>(g_utf8_strlen(text, bytes));
}

void AfterInsertion(GtkEditable* editable, const gchar*, gint, gint*, gpointer data) {
    auto* watch = static_cast<InsertionWatch*>(data);
    if (gtk_entry_get_text_length(GTK_ENTRY(editable)) - watch->lengthBefore < watch->given && watch->onCut)
        watch->onCut();
}

void DeleteWatch(gpointer data, GClosure*) { delete static_cast<InsertionWatch*>(data); }
}  // namespace
#endif

void SayWhenInsertionCut(wxTextCtrl& field, std::function<void()> onCut) {
#ifdef __WXGTK__
    GtkWidget* widget = field.GetConnectWidget();
    if (!GTK_IS_ENTRY(widget)) return;
    auto* watch = new InsertionWatch{std::move(onCut)};
    g_signal_connect_data(widget, "insert-text", G_CALLBACK(BeforeInsertion), watch, DeleteWatch,
                          GConnectFlags(0));
    g_signal_connect_data(widget, "insert-text", G_CALLBACK(AfterInsertion), watch, nullptr, G_CONNECT_AFTER);
#else
    (void)field, (void)onCut;
#endif
}

bool FollowsEnd(wxTextCtrl& control) {
#ifdef __WXGTK__
    return g_object_get_data(G_OBJECT(control.GetConnectWidget()), kFollowsKey) != nullptr;
#else
    (void)control;
    return true;
#endif
}

void SetFollowsEnd(wxTextCtrl& control, bool follows) {
#ifdef __WXGTK__
    g_object_set_data(G_OBJECT(control.GetConnectWidget()), kFollowsKey, GINT_TO_POINTER(follows ? 1 : 0));
#else
    (void)control, (void)follows;
#endif
}

void ScrollToEnd(wxTextCtrl& control) {
#ifdef __WXGTK__
    GtkWidget* view = control.GetConnectWidget();
    auto* mark = static_cast<GtkTextMark*>(g_object_get_data(G_OBJECT(view), kEndMarkKey));
    if (mark != nullptr && gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)) == OwnBuffer(view))
        gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(view), mark, 0.0, FALSE, 0.0, 0.0);
#else
    control.ShowPosition(control.GetLastPosition());
#endif
}

PlaceCount PlacesCounted() { return PlaceCount::Characters; }

void SelectAndShow(wxTextCtrl& control, long from, long to) {
#ifdef __WXGTK__
    GtkWidget* view = control.GetConnectWidget();
    GtkTextBuffer* buffer = OwnBuffer(view);
    if (buffer != nullptr && gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)) == buffer) {
        GtkTextIter start, end;
        gtk_text_buffer_get_iter_at_offset(buffer, &start, static_cast<gint>(from));
        gtk_text_buffer_get_iter_at_offset(buffer, &end, static_cast<gint>(to));
        gtk_text_buffer_select_range(buffer, &end, &start);
        // A mark, not an iterator: the view scrolls to it once it has laid
        // out the text there, which on a long text may take a while.  With
        // no margin the view, right after a new text, at times judged a
        // match far down to be in view already and stayed where it was.
        GtkTextMark* mark = gtk_text_buffer_get_mark(buffer, "quillet-found");
        if (mark == nullptr)
            mark = gtk_text_buffer_create_mark(buffer, "quillet-found", &start, TRUE);
        else
            gtk_text_buffer_move_mark(buffer, mark, &start);
        SetFollowsEnd(control, false);
        gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(view), mark, 0.2, FALSE, 0.0, 0.0);
        return;
    }
#endif
    control.SetSelection(from, to);
    control.ShowPosition(from);
}

LinesInView VisibleLines(wxTextCtrl& control) {
    LinesInView lines;
#ifdef __WXGTK__
    GtkWidget* widget = control.GetConnectWidget();
    if (!GTK_IS_TEXT_VIEW(widget)) return lines;
    GtkTextView* view = GTK_TEXT_VIEW(widget);
    GdkRectangle shown;
    gtk_text_view_get_visible_rect(view, &shown);
    GtkTextIter at;
    gtk_text_view_get_line_at_y(view, &at, shown.y, nullptr);
    lines.top = gtk_text_iter_get_line(&at);
    gtk_text_view_get_line_at_y(view, &at, shown.y + shown.height - 1, nullptr);
    lines.bottom = gtk_text_iter_get_line(&at);
#else
    (void)control;
#endif
    return lines;
}

}  // namespace quillet::platform
