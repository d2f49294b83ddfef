#include "CompactStyle.h"

#include <gtk/gtk.h>
#include <wx/stattext.h>

#include <algorithm>

namespace {

// Default themes give entries and boxes 34 pixels and buttons wide margins;
// the layouts place them on 25 to 30 pixel rows.
const char kCompactCss[] = R"css(
entry, spinbutton, spinbutton entry {
    min-height: 0; min-width: 0; padding: 0 3px; margin: 0;
}
button, combobox button, spinbutton button {
    min-height: 0; min-width: 0; padding: 0 3px; margin: 0;
}
combobox box, combobox entry { min-height: 0; min-width: 0; }
combobox arrow { min-height: 10px; min-width: 10px; }
checkbutton, radiobutton { min-height: 0; padding: 0; margin: 0; }
check, radio { min-height: 12px; min-width: 12px; margin: 0 3px 0 0; }
)css";

}  // namespace

void UseCompactControls()
{
    static bool loaded = false;
    GdkScreen* screen = gdk_screen_get_default();
    if (loaded || !screen)
        return;
    GtkCssProvider* css = gtk_css_provider_new();
    if (gtk_css_provider_load_from_data(css, kCompactCss, -1, nullptr))
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
    loaded = true;
}

void FitTexts(wxWindow* top)
{
    for (wxWindow* child : top->GetChildren()) {
        if (child->IsTopLevel())
            continue;
        if (auto* text = dynamic_cast<wxStaticText*>(child)) {
            // GTK's own measure: wx's best size of a label can be a pixel short.
            const wxSize size = text->GetSize();
            int minW = 0, natW = 0, minH = 0, natH = 0;
            gtk_widget_get_preferred_width(text->GetHandle(), &minW, &natW);
            gtk_widget_get_preferred_height_for_width(text->GetHandle(), std::max(size.x, natW), &minH,
                                                      &natH);
            const wxSize needed(natW, natH);
            if (size.x < needed.x || size.y < needed.y)
                text->SetSize(-1, -1, std::max(size.x, needed.x), std::max(size.y, needed.y),
                              wxSIZE_USE_EXISTING);
        }
        FitTexts(child);
    }
}
