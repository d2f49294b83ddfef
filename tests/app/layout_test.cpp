// Every page in each of its views and every dialog, as GTK lays them out:
// no two visible sibling controls cover each other, every label, button,
// check box and radio entry shows its whole text, and every grid cell editor
// stays in its cell. Each view leaves a screenshot.
#include <gtk/gtk.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "CanPage.h"
#include "ConfigPage.h"
#include "HubLogic.h"
#include "StartPanel.h"
#include "app_fixture.h"
#include "test_module.h"

using namespace apptest;
using Problems = std::vector<std::string>;

namespace {

// Where a widget really is inside its parent window, as GTK allocated it.
wxRect Allocated(wxWindow* w)
{
    GtkAllocation a;
    gtk_widget_get_allocation(w->GetHandle(), &a);
    return {a.x, a.y, a.width, a.height};
}

std::string Name(wxWindow* w)
{
    const wxString label = w->GetLabel().BeforeFirst('\n');
    const wxRect a = Allocated(w);
    return wxString::Format("%s \"%s\" %d,%d %dx%d", w->GetClassInfo()->GetClassName(), label.Left(24), a.x,
                            a.y, a.width, a.height)
        .utf8_string();
}

// A GTK label inside `widget` that is given less room than its text needs.
void FindCutLabels(GtkWidget* widget, GtkWidget* control, std::vector<std::string>* cut)
{
    if (!gtk_widget_get_mapped(widget))
        return;
    if (GTK_IS_LABEL(widget) && *gtk_label_get_text(GTK_LABEL(widget))) {
        GtkAllocation a, outer;
        gtk_widget_get_allocation(widget, &a);
        gtk_widget_get_allocation(control, &outer);
        int minW, natW, minH, natH, x = 0, y = 0;
        gtk_widget_get_preferred_width(widget, &minW, &natW);
        gtk_widget_get_preferred_height_for_width(widget, a.width, &minH, &natH);
        gtk_widget_translate_coordinates(widget, control, 0, 0, &x, &y);
        if (a.width < minW || a.height < minH || x < 0 || y < 0 || x + a.width > outer.width ||
            y + a.height > outer.height)
            cut->push_back(wxString::Format("cut: \"%s\" in %dx%d, needs %dx%d",
                                            gtk_label_get_text(GTK_LABEL(widget)), a.width, a.height, minW,
                                            minH)
                               .utf8_string());
    }
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c; c = c->next)
            FindCutLabels(GTK_WIDGET(c->data), control, cut);
        g_list_free(children);
    }
}

// Overlapping visible siblings (a background picture behind a grid area
// excepted), cut texts, and grid editors that leave their cell, in `parent`
// and below.
void Inspect(wxWindow* parent, Problems* out)
{
    std::vector<wxWindow*> shown;
    for (wxWindow* w : parent->GetChildren())
        if (w->IsShown() && !w->IsTopLevel() && !w->IsBeingDeleted())
            shown.push_back(w);
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            const bool background =
                shown[i]->GetName() == "BackgroundPicture" || shown[j]->GetName() == "BackgroundPicture";
            if (!background && Allocated(shown[i]).Intersects(Allocated(shown[j])))
                out->push_back("overlap: " + Name(shown[i]) + " / " + Name(shown[j]));
        }
        FindCutLabels(shown[i]->GetHandle(), shown[i]->GetHandle(), out);
        if (!dynamic_cast<wxGrid*>(shown[i]))
            Inspect(shown[i], out);
    }
}

// Opens the editor of each column in its first editable row: as GTK would
// place it (a widget gets at least its minimum size), it takes its cell.
void InspectGridEditors(wxGrid* grid, Problems* out)
{
    for (int c = 0; c < grid->GetNumberCols(); ++c) {
        int r = 0;
        while (r < grid->GetNumberRows() && grid->IsReadOnly(r, c))
            ++r;
        if (r == grid->GetNumberRows())
            continue;
        grid->SetGridCursor(r, c);
        grid->EnableCellEditControl();
        wxGridCellEditor* editor = grid->GetCellEditor(r, c);
        wxWindow* control = editor->IsCreated() ? editor->GetWindow() : nullptr;
        if (control && !dynamic_cast<wxCheckBox*>(control)) {
            int minW = 0, natW = 0, minH = 0, natH = 0;
            gtk_widget_get_preferred_width(control->GetHandle(), &minW, &natW);
            gtk_widget_get_preferred_height(control->GetHandle(), &minH, &natH);
            wxRect at = control->GetRect();
            at.SetSize(wxSize(std::max(at.width, minW), std::max(at.height, minH)));
            at.SetPosition(grid->CalcUnscrolledPosition(at.GetPosition()));
            const wxRect cell = grid->CellToRect(r, c);
            if (at != cell)
                out->push_back(wxString::Format("editor: column %d at %d,%d %dx%d, cell %d,%d %dx%d", c, at.x,
                                                at.y, at.width, at.height, cell.x, cell.y, cell.width,
                                                cell.height)
                                   .utf8_string());
        }
        editor->DecRef();
        grid->DisableCellEditControl();
    }
}

// Where a top-level GTK window is on the screen.
wxRect OnScreen(GtkWidget* window)
{
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(window), &x, &y);
    return {x, y, gtk_widget_get_allocated_width(window), gtk_widget_get_allocated_height(window)};
}

// A box shown over the main window stands at its centre.
void InspectPlacement(const wxRect& box, const wxString& what, Problems* out)
{
    const wxRect main = MainWindow::GetInstance()->frame->GetScreenRect();
    const wxPoint at = box.GetPosition() + box.GetSize() / 2;
    const wxPoint centre = main.GetPosition() + main.GetSize() / 2;
    if (std::abs(at.x - centre.x) > 2 || std::abs(at.y - centre.y) > 2)
        out->push_back(wxString::Format("misplaced: %s at %d,%d %dx%d", what, box.x, box.y, box.width,
                                        box.height)
                           .utf8_string());
}

// Every dialog the library or the program shows while it is in place.
class DialogsShown : public wxEventFilter {
public:
    explicit DialogsShown(Problems* out) : out_(out) { wxEvtHandler::AddFilter(this); }
    ~DialogsShown() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override
    {
        auto* dialog = dynamic_cast<wxDialog*>(event.GetEventObject());
        if (event.GetEventType() == wxEVT_SHOW && dialog && static_cast<wxShowEvent&>(event).IsShown())
            InspectPlacement(OnScreen(dialog->GetHandle()), dialog->GetClassInfo()->GetClassName(), out_);
        return Event_Skip;
    }

private:
    Problems* out_;
};

// Lets the next message box really show; from inside its modal loop it is
// inspected and photographed, then answered.
class LookAtMessageBox : public wxModalDialogHook {
public:
    LookAtMessageBox(std::function<void(wxDialog*)> look) : look_(std::move(look)) { Register(); }
    ~LookAtMessageBox() override { Unregister(); }

protected:
    int Enter(wxDialog* dialog) override
    {
        timer_.Bind(wxEVT_TIMER, [this, dialog](wxTimerEvent&) {
            look_(dialog);
            gtk_dialog_response(GTK_DIALOG(dialog->GetHandle()), GTK_RESPONSE_OK);
        });
        timer_.StartOnce(300);
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

private:
    std::function<void(wxDialog*)> look_;
    wxTimer timer_;
};

struct View {
    const char* name;                   // screenshot name; problems are told with it
    std::function<void()> open;         // leaves the page or dialog to inspect on screen
    char type = 'S';
    const char* firmware = "1.4.5";
};

class Layout : public AppTest {
protected:
    wxWindow* Page() { return Main()->GetPanel(Main()->currentPanel); }
    // The hub, then its button and the page's buttons in turn.
    std::function<void()> Hub(std::vector<int> buttons = {})
    {
        return [this, buttons] {
            Main()->loggedIn = true;
            Main()->ShowModulePanel(module.Address(), module.PortText());
            for (int id : buttons) {
                guitest::Pump();
                Click(Page(), id);
            }
            guitest::Pump();
        };
    }
    // Info and About: the native box inspected and photographed in place.
    std::function<void()> MessageBox(int command, const char* name)
    {
        return [this, command, name] {
            LookAtMessageBox look([this, name](wxDialog* box) {
                InspectPlacement(OnScreen(box->GetHandle()), name, &boxProblems);
                FindCutLabels(box->GetHandle(), box->GetHandle(), &boxProblems);
                photographed = SaveScreenshot((std::string(name) + ".png").c_str(), box);
            });
            dialogs->Unregister();  // the box is answered by `look`
            Command(command);
            dialogs->Register();
        };
    }
    testmod::TestModule module{"127.0.0.7"};
    Problems boxProblems;
    bool photographed = false;
};

TEST_F(Layout, EveryViewFitsItsControls)
{
    const int edit = ID_PAGE_EDIT, list = ID_CAN_EDIT_MESSAGES;
    // clang-format off
    const View views[] = {
        {"start", [] {}}, {"scan", [this] { Main()->ShowScanPanel(); }},
        {"details", [this] { Main()->ShowDetailsPanel("00:1e:c0:12:34:56"); }},
        {"login", [this] { Command(ID_LOGIN); }}, {"terminal-dialog", [this] { Command(ID_TERMINAL); }},
        {"info", MessageBox(ID_INFO, "info")}, {"about", MessageBox(ID_ABOUT, "about")}, {"hub", Hub()},
        {"network-edit", Hub({ID_HUB_NETWORK})}, {"network-confirm", Hub({ID_HUB_NETWORK, edit})},
        {"socket-old-edit", Hub({ID_HUB_SOCKET}), 'S', "1.1.9"},
        {"socket-old-confirm", Hub({ID_HUB_SOCKET, edit}), 'S', "1.1.9"},
        {"socket-new-edit", Hub({ID_HUB_SOCKET_NEW})}, {"socket-new-confirm", Hub({ID_HUB_SOCKET_NEW, edit})},
        {"uart-edit", Hub({ID_HUB_UART})}, {"uart-confirm", Hub({ID_HUB_UART, edit})},
        {"advanced-edit", Hub({ID_HUB_ADVANCED}), 'A'}, {"advanced-confirm", Hub({ID_HUB_ADVANCED, edit}), 'A'},
        {"io-edit", Hub({ID_HUB_IO}), '4'}, {"io-confirm", Hub({ID_HUB_IO, edit}), '4'},
        {"analog-edit", Hub({ID_HUB_ADC}), '4'}, {"analog-confirm", Hub({ID_HUB_ADC, edit}), '4'},
        {"i2c-edit", Hub({ID_HUB_I2C}), 'I'}, {"i2c-confirm", Hub({ID_HUB_I2C, edit}), 'I'},
        {"powersave-edit", Hub({ID_HUB_POWERSAVE})}, {"powersave-confirm", Hub({ID_HUB_POWERSAVE, edit})},
        {"batch", Hub({ID_HUB_BATCH_CONF})},
        {"canbus-first", Hub({ID_HUB_CANBUS}), 'A'}, {"canbus-list", Hub({ID_HUB_CANBUS, list}), 'A'},
        {"canbus-confirm", Hub({ID_HUB_CANBUS, list, edit}), 'A'},
        {"actuation-first", Hub({ID_HUB_CANBUS_ACTUATION}), 'A'},
        {"actuation-list", Hub({ID_HUB_CANBUS_ACTUATION, list}), 'A'},
        {"actuation-confirm", Hub({ID_HUB_CANBUS_ACTUATION, list, edit}), 'A'},
    };
    // clang-format on
    // Values every page's checks admit: ports, polling times, I2C record,
    // addresses, CAN speed 500000.
    for (const auto& [id, bytes] : std::vector<std::pair<uint16_t, testmod::Bytes>>{
             {46, {0xFF, 0x14, 0xFF, 0x78, 0xFF, 0xDC, 0, 1, 0, 100, 0x03, 0xE8, 0x03, 0xE8}},
             {48, {0, 0, 0x03, 0xE8, 0, 0, 0}}, {50, {0, 60, 0}}, {14, {10, 0, 0, 5}}, {15, {255, 255, 255, 0}},
             {16, {10, 0, 0, 1}}, {44, {0x00, 0x07, 0xA1, 0x20, 0, 0, 0, 0, 0, 0, 0}}})
        module.SetElement(id, 0, bytes);
    ASSERT_TRUE(module.Start());
    AddModule("127.0.0.7", "00:1e:c0:12:34:56", "porch");
    int overlaps = 0, cut = 0, editors = 0, misplaced = 0;
    for (const View& v : views) {
        SCOPED_TRACE(v.name);
        module.SetIdentity(v.firmware, v.type, "porch");
        dialogs->Clear();
        Problems problems;
        {
            DialogsShown shown(&problems);
            v.open();
        }
        problems.insert(problems.end(), boxProblems.begin(), boxProblems.end());
        boxProblems.clear();
        wxWindow* top = Page() ? Page() : static_cast<wxWindow*>(Main()->startPanel);
        for (wxWindow* w : Main()->frame->GetChildren())
            if (auto* dialog = dynamic_cast<wxDialog*>(w); dialog && dialog->IsShown())
                top = dialog;
        guitest::PumpFor(100);
        Inspect(top, &problems);
        for (wxWindow* w : top->GetChildren())
            if (auto* grid = dynamic_cast<wxGrid*>(w); grid && grid->IsShown())
                InspectGridEditors(grid, &problems);
        EXPECT_TRUE(problems.empty()) << testing::PrintToString(problems);
        EXPECT_TRUE(dialogs->Messages().empty()) << testing::PrintToString(dialogs->Messages());
        for (const std::string& p : problems)
            ++(p[0] == 'o' ? overlaps : p[0] == 'c' ? cut : p[0] == 'e' ? editors : misplaced);
        if (!std::exchange(photographed, false)) {
            EXPECT_TRUE(SaveScreenshot((std::string(v.name) + ".png").c_str(), dynamic_cast<wxDialog*>(top)));
        }
        if (dynamic_cast<wxDialog*>(top))
            top->Hide();
        Main()->ShowStartPanel();
        guitest::Pump();
    }
    std::printf("%d overlaps, %d cut texts, %d editors, %d misplaced boxes\n", overlaps, cut, editors,
                misplaced);
    // Pointing at a tool leaves the version in the status bar.
    wxToolBar* tools = Main()->frame->GetToolBar();
    tools->OnMouseEnter(tools->GetToolByPos(0)->GetId());
    EXPECT_EQ(Main()->statusBar->GetStatusText(0), "Vantrel Glimra - ver. 1.4.3");
}

}  // namespace
