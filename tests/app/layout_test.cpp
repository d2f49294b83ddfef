// Every page in each of its views and every dialog, as GTK lays them out:
// no two visible sibling controls cover each other, every label, button,
// check box and radio entry shows its whole text, and every grid cell editor
// stays in its cell. Each view leaves a screenshot.
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/radiobox.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/tglbtn.h>
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
#include "LoginDialog.h"
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
            cut->push_back(wxString::Format("%s\" in %dx%d, needs %dx%d",
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

bool ShowsText(wxWindow* w)
{
    return dynamic_cast<wxStaticText*>(w) || dynamic_cast<wxCheckBox*>(w) || dynamic_cast<wxRadioBox*>(w) ||
           dynamic_cast<wxRadioButton*>(w) || dynamic_cast<wxToggleButton*>(w) ||
           (dynamic_cast<wxButton*>(w) && !w->GetLabel().empty());
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
        if (ShowsText(shown[i])) {
            std::vector<std::string> cut;
            FindCutLabels(shown[i]->GetHandle(), shown[i]->GetHandle(), &cut);
            for (const std::string& text : cut)
                out->push_back("cut: " + Name(shown[i]) + " shows \"" + text);
        }
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
    const char* name;  // screenshot name; problems are told with it
    char type;
    const char* firmware;
    std::function<void(wxWindow* main)> open;  // leaves the page or dialog to inspect on screen
};

class Layout : public AppTest {
protected:
    wxWindow* Page() { return Main()->GetPanel(Main()->currentPanel); }
    void Hub(int button)
    {
        Main()->ShowModulePanel(module.Address(), module.PortText());
        guitest::Pump();
        if (button)
            Press(button);
    }
    void Press(int id)
    {
        Click(Page(), id);
        guitest::Pump();
    }
    // Info and About: the native box inspected and photographed in place.
    std::function<void(wxWindow*)> MessageBox(int command, const char* name)
    {
        return [this, command, name](wxWindow*) {
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
    const auto hub = [this](int button) { return [this, button](wxWindow*) { Hub(button); }; };
    const auto then = [this](int button, int id) {
        return [this, button, id](wxWindow*) {
            Hub(button);
            Press(id);
        };
    };
    // clang-format off
    const View views[] = {
        {"start", 'S', "1.4.5", [](wxWindow*) {}},
        {"scan", 'S', "1.4.5", [this](wxWindow*) { Main()->ShowScanPanel(); }},
        {"details", 'S', "1.4.5", [this](wxWindow*) {
            AddModule("127.0.0.7", "00:1e:c0:12:34:56", "porch"); Main()->ShowDetailsPanel("00:1e:c0:12:34:56"); }},
        {"hub", 'S', "1.4.5", [this](wxWindow*) { Main()->loggedIn = true; Hub(0); }},
        {"network-edit", 'S', "1.4.5", hub(ID_HUB_NETWORK)},
        {"network-confirm", 'S', "1.4.5", then(ID_HUB_NETWORK, ID_PAGE_EDIT)},
        {"socket-old-edit", 'S', "1.1.9", hub(ID_HUB_SOCKET)},
        {"socket-old-confirm", 'S', "1.1.9", then(ID_HUB_SOCKET, ID_PAGE_EDIT)},
        {"socket-new-edit", 'S', "1.4.5", hub(ID_HUB_SOCKET_NEW)},
        {"socket-new-confirm", 'S', "1.4.5", then(ID_HUB_SOCKET_NEW, ID_PAGE_EDIT)},
        {"uart-edit", 'S', "1.4.5", hub(ID_HUB_UART)},
        {"uart-confirm", 'S', "1.4.5", then(ID_HUB_UART, ID_PAGE_EDIT)},
        {"advanced-edit", 'A', "1.4.5", hub(ID_HUB_ADVANCED)},
        {"advanced-confirm", 'A', "1.4.5", then(ID_HUB_ADVANCED, ID_PAGE_EDIT)},
        {"io-edit", '4', "1.4.5", hub(ID_HUB_IO)},
        {"io-confirm", '4', "1.4.5", then(ID_HUB_IO, ID_PAGE_EDIT)},
        {"analog-edit", '4', "1.4.5", hub(ID_HUB_ADC)},
        {"analog-confirm", '4', "1.4.5", then(ID_HUB_ADC, ID_PAGE_EDIT)},
        {"i2c-edit", 'I', "1.4.5", hub(ID_HUB_I2C)},
        {"i2c-confirm", 'I', "1.4.5", then(ID_HUB_I2C, ID_PAGE_EDIT)},
        {"powersave-edit", 'S', "1.4.5", [this](wxWindow*) { Main()->loggedIn = true; Hub(ID_HUB_POWERSAVE); }},
        {"powersave-confirm", 'S', "1.4.5", [this](wxWindow*) {
            Main()->loggedIn = true; Hub(ID_HUB_POWERSAVE); Press(ID_PAGE_EDIT); }},
        {"batch", 'S', "1.4.5", [this](wxWindow*) { Main()->loggedIn = true; Hub(ID_HUB_BATCH_CONF); }},
        {"canbus-first", 'A', "1.4.5", hub(ID_HUB_CANBUS)},
        {"canbus-list", 'A', "1.4.5", then(ID_HUB_CANBUS, ID_CAN_EDIT_MESSAGES)},
        {"canbus-confirm", 'A', "1.4.5", [this](wxWindow*) {
            Hub(ID_HUB_CANBUS); Press(ID_CAN_EDIT_MESSAGES); Press(ID_PAGE_EDIT); }},
        {"actuation-first", 'A', "1.4.5", hub(ID_HUB_CANBUS_ACTUATION)},
        {"actuation-list", 'A', "1.4.5", then(ID_HUB_CANBUS_ACTUATION, ID_CAN_EDIT_MESSAGES)},
        {"actuation-confirm", 'A', "1.4.5", [this](wxWindow*) {
            Hub(ID_HUB_CANBUS_ACTUATION); Press(ID_CAN_EDIT_MESSAGES); Press(ID_PAGE_EDIT); }},
        {"login", 'S', "1.4.5", [this](wxWindow*) { Command(ID_LOGIN); }},
        {"terminal-dialog", 'S', "1.4.5", [this](wxWindow*) { Command(ID_TERMINAL); }},
        {"info", 'S', "1.4.5", MessageBox(ID_INFO, "info")},
        {"about", 'S', "1.4.5", MessageBox(ID_ABOUT, "about")},
    };
    // clang-format on
    // Values every page's checks admit: ports, polling times, the I2C record.
    module.SetElement(46, 0, {0xFF, 0x14, 0xFF, 0x78, 0xFF, 0xDC, 0, 1, 0, 100, 0x03, 0xE8, 0x03, 0xE8});
    module.SetElement(48, 0, {0, 0, 0x03, 0xE8, 0, 0, 0});
    module.SetElement(50, 0, {0, 60, 0});
    module.SetElement(14, 0, {10, 0, 0, 5});
    module.SetElement(15, 0, {255, 255, 255, 0});
    module.SetElement(16, 0, {10, 0, 0, 1});
    module.SetElement(44, 0, {0x00, 0x07, 0xA1, 0x20, 0, 0, 0, 0, 0, 0, 0});  // 500000 bit/s
    ASSERT_TRUE(module.Start());
    int overlaps = 0, cut = 0, editors = 0, misplaced = 0;
    for (const View& v : views) {
        SCOPED_TRACE(v.name);
        module.SetIdentity(v.firmware, v.type, "porch");
        dialogs->Clear();
        Problems problems;
        {
            DialogsShown shown(&problems);
            v.open(Main()->frame);
        }
        problems.insert(problems.end(), boxProblems.begin(), boxProblems.end());
        boxProblems.clear();
        wxWindow* top = Page() ? Page() : static_cast<wxWindow*>(Main()->startPanel);
        for (wxWindow* w : Main()->frame->GetChildren())
            if (auto* dialog = dynamic_cast<wxDialog*>(w); dialog && dialog->IsShown())
                top = dialog;
        guitest::PumpFor(100);
        Inspect(top, &problems);
        if (wxWindow* page = Page())
            for (wxWindow* w : page->GetChildren())
                if (auto* grid = dynamic_cast<wxGrid*>(w); grid && grid->IsShown() && top == page)
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
