#include "CompactStyle.h"

#include <gtk/gtk.h>
#include <wx/stattext.h>

#include <algorithm>

namespace {

// Default themes give entries and boxes 34 pixels and buttons wide margins;
// the layouts place them on 25 to 30 pixel rows.
const char kCompactCss[] = R"css(
entry, spinbutton, spinbutton entry {
    min-height: 0; min-width: 0; padding: 2px 3px; margin: 0;
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
            // Measured in the label's own font: GTK takes a new font only when
            // it next idles, so its measure can still be that of the old one.
            wxCoord w = 0, h = 0;
            text->GetTextExtent(text->GetLabel(), &w, &h);
            const wxSize size = text->GetSize();
            if (size.x < w || size.y < h)
                text->SetSize(-1, -1, std::max(size.x, w), std::max(size.y, h), wxSIZE_USE_EXISTING);
        }
        FitTexts(child);
    }
}
