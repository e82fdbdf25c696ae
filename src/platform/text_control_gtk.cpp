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
}
#endif

void PrepareAppend(wxTextCtrl& control) {
#ifdef __WXGTK__
    GtkWidget* view = control.GetConnectWidget();
    if (!control.IsFrozen() && GTK_IS_TEXT_VIEW(view))
        g_object_set_data(G_OBJECT(view), kBufferKey, gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)));
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
        gtk_text_buffer_insert(buffer, &end, utf8, static_cast<gint>(size));
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
    // The toolkit's own listeners turn every piece into a change event that
    // nobody waits for; they hear nothing until the end.
    g_signal_handlers_block_matched(buffer, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, &control);
#else
    control.Freeze();
#endif
}

void EndBulkAppend(wxTextCtrl& control) {
#ifdef __WXGTK__
    GtkWidget* view = control.GetConnectWidget();
    auto* buffer = static_cast<GtkTextBuffer*>(g_object_get_data(G_OBJECT(view), kBufferKey));
    if (buffer != nullptr && gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)) != buffer) {
        g_signal_handlers_unblock_matched(buffer, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr,
                                          &control);
        gtk_text_view_set_buffer(GTK_TEXT_VIEW(view), buffer);
        g_object_unref(buffer);
    }
#else
    control.Thaw();
#endif
}

void KeepFirstLineOfPaste(wxTextCtrl& field) {
#ifdef __WXGTK__
    GtkWidget* widget = field.GetConnectWidget();
    if (GTK_IS_ENTRY(widget)) g_object_set(widget, "truncate-multiline", TRUE, nullptr);
#else
    (void)field;
#endif
}

}  // namespace quillet::platform
