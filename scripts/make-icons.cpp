// Draws every JPEG picture the program loads from icons/: buttons with a word,
// toolbar glyphs, the logo and page backgrounds. Run by scripts/make-icons.sh
// (it needs an X display for text drawing). Usage: make-icons OUTPUT_DIR
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcgraph.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/uilocale.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const wxColour kBrand(29, 111, 138);   // teal of the product
const wxColour kAccent(232, 142, 36);  // orange for actions that start something
const wxColour kDanger(190, 58, 52);   // red for deleting and stopping
const wxColour kCalm(70, 130, 75);     // green for confirming
const wxColour kGrey(165, 170, 174);   // disabled tools

using Painter = std::function<void(wxGraphicsContext&, int w, int h)>;

struct Picture {
    std::string file;
    int w;
    int h;
    Painter paint;
};

wxFont TextFont(double points, bool bold = true)
{
    wxFontInfo info(points);
    info.FaceName("DejaVu Sans");
    if (bold)
        info.Bold();
    return wxFont(info);
}

// The largest font (up to maxPoints) with which text fits into w x h.
wxFont FittingFont(wxGraphicsContext& gc, const wxString& text, double w, double h, double maxPoints,
                   bool bold = true)
{
    for (double pt = maxPoints; pt > 5; pt -= 0.5) {
        wxFont font = TextFont(pt, bold);
        gc.SetFont(font, *wxBLACK);
        double tw, th;
        gc.GetTextExtent(text, &tw, &th);
        if (tw <= w && th <= h)
            return font;
    }
    return TextFont(5, bold);
}

void CentredText(wxGraphicsContext& gc, const wxString& text, double x, double y, double w, double h,
                 const wxColour& colour, double maxPoints, bool bold = true)
{
    gc.SetFont(FittingFont(gc, text, w, h, maxPoints, bold), colour);
    double tw, th;
    gc.GetTextExtent(text, &tw, &th);
    gc.DrawText(text, x + (w - tw) / 2, y + (h - th) / 2);
}

wxColour Shade(const wxColour& c, int delta)
{
    auto clamp = [](int v) { return static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return wxColour(clamp(c.Red() + delta), clamp(c.Green() + delta), clamp(c.Blue() + delta));
}

// c moved towards white by the fraction f.
wxColour Pale(const wxColour& c, double f)
{
    auto mix = [f](int v) { return static_cast<unsigned char>(v + (255 - v) * f); };
    return wxColour(mix(c.Red()), mix(c.Green()), mix(c.Blue()));
}

// A rounded push button with a word on it. A GTK button draws its picture
// inside its own frame and padding (10 pixels left and right, 6 above and
// below), so the coloured body keeps to that inner area and the rest stays
// white.
Painter Button(const wxString& word, const wxColour& colour)
{
    return [word, colour](wxGraphicsContext& gc, int w, int h) {
        const double mx = 10, my = 6;
        const double bw = w - 2 * mx, bh = h - 2 * my;
        gc.SetPen(wxPen(Shade(colour, -40), 1));
        gc.SetBrush(gc.CreateLinearGradientBrush(0, my, 0, my + bh, Shade(colour, 35), Shade(colour, -15)));
        gc.DrawRoundedRectangle(mx, my, bw - 1, bh - 1, bh / 5.0);
        CentredText(gc, word, mx + 3, my + 1, bw - 6, bh - 2, *wxWHITE, bh * 0.55);
    };
}

// A square tool: a glyph in a rounded tile.
Painter Tool(const wxColour& colour, const std::function<void(wxGraphicsContext&, double)>& glyph)
{
    return [colour, glyph](wxGraphicsContext& gc, int w, int) {
        gc.SetPen(*wxTRANSPARENT_PEN);
        gc.SetBrush(wxBrush(colour));
        gc.DrawRoundedRectangle(1, 1, w - 2, w - 2, w / 6.0);
        gc.SetPen(wxPen(*wxWHITE, w / 11.0, wxPENSTYLE_SOLID));
        gc.SetBrush(*wxWHITE_BRUSH);
        glyph(gc, w);
    };
}

// A path through points given as fractions of the side s.
wxGraphicsPath PathOf(wxGraphicsContext& gc, double s, std::initializer_list<wxPoint2DDouble> points,
                      bool closed)
{
    wxGraphicsPath p = gc.CreatePath();
    bool first = true;
    for (const wxPoint2DDouble& pt : points) {
        if (first)
            p.MoveToPoint(s * pt.m_x, s * pt.m_y);
        else
            p.AddLineToPoint(s * pt.m_x, s * pt.m_y);
        first = false;
    }
    if (closed)
        p.CloseSubpath();
    return p;
}

void ArrowLeft(wxGraphicsContext& gc, double s)
{
    gc.FillPath(PathOf(gc, s,
                       {{0.22, 0.5}, {0.48, 0.26}, {0.48, 0.40}, {0.78, 0.40}, {0.78, 0.60}, {0.48, 0.60},
                        {0.48, 0.74}},
                       true));
}

void House(wxGraphicsContext& gc, double s)
{
    gc.FillPath(PathOf(gc, s,
                       {{0.5, 0.18}, {0.82, 0.48}, {0.72, 0.48}, {0.72, 0.80}, {0.57, 0.80}, {0.57, 0.60},
                        {0.43, 0.60}, {0.43, 0.80}, {0.28, 0.80}, {0.28, 0.48}, {0.18, 0.48}},
                       true));
}

void Cross(wxGraphicsContext& gc, double s)
{
    gc.StrokeLine(s * 0.28, s * 0.28, s * 0.72, s * 0.72);
    gc.StrokeLine(s * 0.72, s * 0.28, s * 0.28, s * 0.72);
}

// A tray with an arrow going into it (down) or out of it (up).
void Tray(wxGraphicsContext& gc, double s, bool out)
{
    gc.StrokePath(PathOf(gc, s, {{0.22, 0.58}, {0.22, 0.78}, {0.78, 0.78}, {0.78, 0.58}}, false));
    const double tip = out ? s * 0.16 : s * 0.62;
    const double tail = out ? s * 0.60 : s * 0.18;
    gc.StrokeLine(s * 0.5, tail, s * 0.5, tip + (out ? s * 0.08 : -s * 0.08));
    const double base = (tip + (out ? 1 : -1) * s * 0.16) / s;
    gc.FillPath(PathOf(gc, s, {{0.5, tip / s}, {0.36, base}, {0.64, base}}, true));
}

// A clock face: the last configuration.
void Clock(wxGraphicsContext& gc, double s)
{
    gc.SetBrush(*wxTRANSPARENT_BRUSH);
    gc.DrawEllipse(s * 0.2, s * 0.2, s * 0.6, s * 0.6);
    gc.StrokeLine(s * 0.5, s * 0.5, s * 0.5, s * 0.3);
    gc.StrokeLine(s * 0.5, s * 0.5, s * 0.65, s * 0.58);
}

// Radio waves from a point: the module's Wi-Fi.
void Waves(wxGraphicsContext& gc, double cx, double cy, double r, const wxColour& colour, double width)
{
    gc.SetBrush(*wxTRANSPARENT_BRUSH);
    for (int i = 1; i <= 3; ++i) {
        gc.SetPen(wxPen(colour, width));
        wxGraphicsPath arc = gc.CreatePath();
        arc.AddArc(cx, cy, r * i, -M_PI * 0.75, -M_PI * 0.25, true);
        gc.StrokePath(arc);
    }
}

// A page background: a pale field with a drawn module and a caption.
Painter Background(const wxString& caption, const wxColour& tint)
{
    return [caption, tint](wxGraphicsContext& gc, int w, int h) {
        gc.SetPen(*wxTRANSPARENT_PEN);
        gc.SetBrush(gc.CreateLinearGradientBrush(0, 0, w, h, *wxWHITE, Pale(tint, 0.82)));
        gc.DrawRectangle(0, 0, w, h);
        const double bw = w * 0.46, bh = h * 0.28;
        const double bx = (w - bw) / 2, by = h * 0.42;
        gc.SetPen(wxPen(Shade(tint, -30), 2));
        gc.SetBrush(wxBrush(tint));
        gc.DrawRoundedRectangle(bx, by, bw, bh, 8);
        // Pins along the lower edge.
        gc.SetBrush(wxBrush(Shade(tint, -40)));
        gc.SetPen(*wxTRANSPARENT_PEN);
        for (int i = 0; i < 6; ++i)
            gc.DrawRectangle(bx + bw * (0.1 + 0.15 * i), by + bh, bw * 0.06, h * 0.05);
        // Antenna and its waves.
        gc.SetPen(wxPen(Shade(tint, -30), 3));
        gc.StrokeLine(bx + bw * 0.8, by, bx + bw * 0.8, by - h * 0.12);
        Waves(gc, bx + bw * 0.8, by - h * 0.12, h * 0.07, Shade(tint, -10), 3);
        CentredText(gc, "VANTREL", bx, by, bw, bh, *wxWHITE, bh * 0.35);
        CentredText(gc, caption, 0, h * 0.80, w, h * 0.12, Shade(tint, -20), h * 0.06, false);
    };
}

Painter Logo()
{
    return [](wxGraphicsContext& gc, int w, int h) {
        gc.SetPen(*wxTRANSPARENT_PEN);
        gc.SetBrush(*wxWHITE_BRUSH);
        gc.DrawRectangle(0, 0, w, h);
        Waves(gc, h * 0.45, h * 0.78, h * 0.18, kBrand, 3);
        gc.SetFont(TextFont(h * 0.30), kBrand);
        gc.DrawText("Vantrel", h * 0.95, h * 0.10);
        gc.SetFont(TextFont(h * 0.22, false), kAccent);
        gc.DrawText("Glimra", h * 0.95, h * 0.55);
    };
}

Painter Tick()
{
    return [](wxGraphicsContext& gc, int w, int) {
        gc.SetPen(*wxTRANSPARENT_PEN);
        gc.SetBrush(wxBrush(kCalm));
        gc.DrawEllipse(0.5, 0.5, w - 1, w - 1);
        gc.SetPen(wxPen(*wxWHITE, w / 8.0));
        gc.StrokePath(PathOf(gc, w, {{0.25, 0.52}, {0.43, 0.70}, {0.76, 0.32}}, false));
    };
}

// The scan button is 30 x 30, of which a GTK button shows only the middle
// 10 x 18 pixels or so: a small magnifier there, on white.
Painter ScanGlyph()
{
    return [](wxGraphicsContext& gc, int w, int h) {
        const double s = 12;
        gc.Translate((w - s) / 2, (h - s) / 2);
        gc.SetPen(wxPen(kAccent, 2));
        gc.SetBrush(*wxTRANSPARENT_BRUSH);
        gc.DrawEllipse(0.5, 0.5, s * 0.62, s * 0.62);
        gc.SetPen(wxPen(kAccent, 3));
        gc.StrokeLine(s * 0.55, s * 0.55, s - 0.5, s - 0.5);
    };
}

std::vector<Picture> AllPictures()
{
    auto tool = [](const std::function<void(wxGraphicsContext&, double)>& glyph, const wxColour& c) {
        return Tool(c, glyph);
    };
    auto tray = [](bool out) { return [out](wxGraphicsContext& gc, double s) { Tray(gc, s, out); }; };
    const int bw = 133, bh = 38;  // page buttons
    const int fw = 154;           // hub feature buttons
    const int tw = 88, th = 29;   // terminal and scan buttons
    return {
        // Toolbar.
        {"back.jpg", 32, 32, tool(ArrowLeft, kBrand)},
        {"home.jpg", 32, 32, tool(House, kBrand)},
        {"exit.jpg", 32, 32, tool(Cross, kDanger)},
        {"import-icon.jpg", 32, 32, tool(tray(false), kBrand)},
        {"import-disabled-icon.jpg", 32, 32, tool(tray(false), kGrey)},
        {"export-icon.jpg", 32, 32, tool(tray(true), kBrand)},
        {"export-disabled-icon.jpg", 32, 32, tool(tray(true), kGrey)},
        {"use-last-conf.jpg", 32, 32, tool(Clock, kBrand)},
        {"use-last-conf-disabled.jpg", 32, 32, tool(Clock, kGrey)},
        {"logo.jpg", 200, 50, Logo()},
        // Start page.
        {"home_bg.jpg", 420, 319, Background("Ad-hoc network", kBrand)},
        {"connectbtn.jpg", bw, bh, Button("Connect", kAccent)},
        {"scanbtn.jpg", 30, 30, ScanGlyph()},
        {"viewdetailsbtn.jpg", bw, bh, Button("View details", kBrand)},
        {"editbtn.jpg", bw, bh, Button("Edit", kBrand)},
        {"deletebtn.jpg", bw, bh, Button("Delete", kDanger)},
        {"clearallbtn.jpg", bw, bh, Button("Clear all", kDanger)},
        // Details page.
        {"vantrel_bg.jpg", 400, 380, Background("Stored module", kBrand)},
        // Hub.
        {"vantrel_panel_bg.jpg", 320, 251, Background("Module", kBrand)},
        {"wirelessbtn.jpg", fw, bh, Button("Network", kBrand)},
        {"socketbtn.jpg", fw, bh, Button("Socket", kBrand)},
        {"terminalbtn.jpg", fw, bh, Button("Terminal", kBrand)},
        {"advanced_btn.jpg", fw, bh, Button("Advanced", kBrand)},
        {"uartbtn.jpg", fw, bh, Button("UART", kBrand)},
        {"canbus_btn.jpg", fw, bh, Button("CAN bus", kBrand)},
        {"canbusexec_btn.jpg", fw, bh, Button("CAN actuation", kBrand)},
        {"i2cbtn.jpg", fw, bh, Button("I2C sensor", kBrand)},
        {"iobtn.jpg", fw, bh, Button("Digital I/O", kBrand)},
        {"aibtn.jpg", fw, bh, Button("Analog inputs", kBrand)},
        {"powersave_btn.jpg", fw, bh, Button("Power save", kCalm)},
        {"batch_btn.jpg", fw, bh, Button("Batch", kCalm)},
        {"ok.jpg", 20, 20, Tick()},
        // Scan page.
        {"startscanbtn.jpg", 88, 25, Button("Start", kAccent)},
        {"stopbtn.jpg", 88, 25, Button("Stop", kDanger)},
        // Configuration pages.
        {"backbtn.jpg", bw, bh, Button("Back", kBrand)},
        {"confirmbtn.jpg", bw, bh, Button("Confirm", kCalm)},
        {"home_infrastructure_bg.jpg", 420, 319, Background("Infrastructure network", kBrand)},
        {"vantrel_uart_bg.jpg", 511, 269, Background("UART / RS485 / RS232", kBrand)},
        {"vantrel_canbus_bg.jpg", 320, 251, Background("CAN bus", kBrand)},
        // Terminal.
        {"addbtn.jpg", tw, th, Button("Add", kBrand)},
        {"sendbtn.jpg", tw, th, Button("Send", kAccent)},
        {"sendperiodbtn.jpg", tw, th, Button("Send every", kAccent)},
        {"stopsendperiodbtn.jpg", tw, th, Button("Stop sending", kDanger)},
        {"editbtn2.jpg", tw, th, Button("Edit", kBrand)},
        {"clearbtn.jpg", tw, th, Button("Clear", kDanger)},
        {"clearallbtn88.jpg", tw, th, Button("Clear all", kDanger)},
        {"loadbtn.jpg", tw, th, Button("Load", kBrand)},
        {"savebtn.jpg", tw, th, Button("Save", kBrand)},
        {"exportbtn.jpg", tw, th, Button("Export", kBrand)},
        {"stoplogbtn.jpg", tw, th, Button("Stop log", kDanger)},
        {"runbtn.jpg", tw, th, Button("Start log", kCalm)},
    };
}

bool Draw(const Picture& pic, const wxString& dir)
{
    wxBitmap bitmap(pic.w, pic.h, 24);
    {
        wxMemoryDC mem(bitmap);
        mem.SetBackground(*wxWHITE_BRUSH);
        mem.Clear();
        wxGCDC dc(mem);
        wxGraphicsContext* gc = dc.GetGraphicsContext();
        gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
        pic.paint(*gc, pic.w, pic.h);
    }
    wxImage image = bitmap.ConvertToImage();
    image.SetOption(wxIMAGE_OPTION_QUALITY, 88);
    const wxString path = dir + "/" + wxString::FromUTF8(pic.file);
    if (!image.SaveFile(path, wxBITMAP_TYPE_JPEG)) {
        fprintf(stderr, "cannot write %s\n", static_cast<const char*>(path.utf8_str()));
        return false;
    }
    return true;
}

}  // namespace

class IconsApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

wxIMPLEMENT_APP_NO_MAIN(IconsApp);

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const wxString dir = wxString::FromUTF8(argv[1]);
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start the GUI library (no display?)\n");
        return 1;
    }
    wxUILocale::UseDefault();
    wxInitAllImageHandlers();
    int failures = 0;
    for (const Picture& pic : AllPictures())
        failures += Draw(pic, dir) ? 0 : 1;
    wxEntryCleanup();
    return failures == 0 ? 0 : 1;
}
