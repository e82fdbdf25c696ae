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

}  // namespace quillet::platform
