#include "native_style.h"

#include <wx/window.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace tnews
{

#ifdef __WXGTK__

namespace
{

constexpr char kCompactCss[] = R"css(
#tnews-compact button, #tnews-compact entry {
    min-height: 0;
    min-width: 0;
    padding: 0 4px;
}
#tnews-compact combobox arrow {
    min-height: 0;
    min-width: 12px;
}
#tnews-compact button.tnews-symbol {
    padding: 0;
}
)css";

} // namespace

void UseCompactControls(wxWindow* container)
{
    static GtkCssProvider* provider = []
    {
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(css, kCompactCss, -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        return css;
    }();
    (void)provider;
    gtk_widget_set_name(static_cast<GtkWidget*>(container->GetHandle()), "tnews-compact");
}

#else

void UseCompactControls(wxWindow* /*container*/) {}

#endif

} // namespace tnews
