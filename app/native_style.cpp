#include "native_style.h"

#include <wx/menu.h>
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

// Longer than the toolkit's delay before a menu opens under a pointer that moves along the bar.
constexpr guint kMenuOpenGraceMs = 600;

GtkMenuShell* FindMenuBar(GtkWidget* widget)
{
    if (GTK_IS_MENU_BAR(widget))
        return GTK_MENU_SHELL(widget);
    GtkMenuShell* found = nullptr;
    if (GTK_IS_CONTAINER(widget))
    {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child && !found; child = child->next)
            found = FindMenuBar(GTK_WIDGET(child->data));
        g_list_free(children);
    }
    return found;
}

// A title still lit a while after it was chosen, its menu not shown: the opening failed.
gboolean SettleMenuBar(gpointer data)
{
    GtkMenuShell* bar = GTK_MENU_SHELL(data);
    GtkWidget* item = gtk_menu_shell_get_selected_item(bar);
    GtkWidget* menu = item ? gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)) : nullptr;
    if (menu && !gtk_widget_get_mapped(menu))
        gtk_menu_shell_deactivate(bar);
    g_object_unref(bar);
    return G_SOURCE_REMOVE;
}

void OnTitleSelected(GtkMenuItem* /*title*/, gpointer bar)
{
    g_timeout_add(kMenuOpenGraceMs, SettleMenuBar, g_object_ref(bar));
}

} // namespace

void KeepMenuBarFromSticking(wxMenuBar* bar)
{
    GtkMenuShell* shell = FindMenuBar(static_cast<GtkWidget*>(bar->GetHandle()));
    if (!shell)
        return;
    GList* titles = gtk_container_get_children(GTK_CONTAINER(shell));
    for (GList* title = titles; title; title = title->next)
        g_signal_connect(title->data, "select", G_CALLBACK(OnTitleSelected), shell);
    g_list_free(titles);
}

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

void KeepMenuBarFromSticking(wxMenuBar* /*bar*/) {}

#endif

} // namespace tnews
