// Every page in each of its views and every dialog, as GTK lays them out:
// no two visible sibling controls cover each other, every label, button,
// check box and radio entry shows its whole text, and every grid cell editor
// stays in its cell; every box stands at the main window's centre. Each view
// leaves a screenshot.
#include <cxxabi.h>
#include <gtk/gtk.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/file.h>
#include <wx/fileconf.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/radiobox.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include "CanPage.h"
#include "ConfigPage.h"
#include "HubLogic.h"
#include "StartPanel.h"
#include "Startup.h"
#include "app_fixture.h"
#include "test_module.h"

using namespace apptest;
using Problems = std::vector<std::string>;

namespace {

// Where GTK placed a widget in its parent window (a top-level one: on the screen).
wxRect Placed(GtkWidget* w)
{
    GtkAllocation a;
    gtk_widget_get_allocation(w, &a);
    if (gtk_widget_is_toplevel(w))
        gdk_window_get_origin(gtk_widget_get_window(w), &a.x, &a.y);
    return {a.x, a.y, a.width, a.height};
}

std::string Name(wxWindow* w)
{
    return wxString::Format("%s \"%s\"", w->GetClassInfo()->GetClassName(), w->GetLabel().Left(24))
        .utf8_string();
}

// Every GTK label inside `control` given less room than its text needs.
void FindCutLabels(GtkWidget* widget, GtkWidget* control, Problems* out)
{
    if (!gtk_widget_get_mapped(widget))
        return;
    if (GTK_IS_LABEL(widget) && *gtk_label_get_text(GTK_LABEL(widget))) {
        const wxRect a = Placed(widget), outer(wxPoint(), Placed(control).GetSize());
        int minW, natW, minH, natH, x = 0, y = 0;
        gtk_widget_get_preferred_width(widget, &minW, &natW);
        gtk_widget_get_preferred_height_for_width(widget, a.width, &minH, &natH);
        gtk_widget_translate_coordinates(widget, control, 0, 0, &x, &y);
        if (a.width < minW || a.height < minH || !outer.Contains(wxRect(x, y, a.width, a.height)))
            out->push_back(std::string("cut: ") + gtk_label_get_text(GTK_LABEL(widget)));
    }
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c; c = c->next)
            FindCutLabels(GTK_WIDGET(c->data), control, out);
        g_list_free(children);
    }
}

// Overlapping visible siblings (background pictures excepted) and cut texts
// in `parent` and below.
void Inspect(wxWindow* parent, Problems* out)
{
    std::vector<wxWindow*> shown;
    for (wxWindow* w : parent->GetChildren())
        if (w->IsShown() && !w->IsTopLevel() && !w->IsBeingDeleted())
            shown.push_back(w);
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j)
            if (shown[i]->GetName() != "BackgroundPicture" && shown[j]->GetName() != "BackgroundPicture" &&
                Placed(shown[i]->GetHandle()).Intersects(Placed(shown[j]->GetHandle())))
                out->push_back("overlap: " + Name(shown[i]) + " / " + Name(shown[j]));
        FindCutLabels(shown[i]->GetHandle(), shown[i]->GetHandle(), out);
        if (auto* box = dynamic_cast<wxComboBox*>(shown[i]); box && box->HasFlag(wxCB_READONLY)) {
            // Every entry of a drop-down list fits the box's text area.
            const int room = Placed(gtk_bin_get_child(GTK_BIN(box->GetHandle()))).width - 6;
            for (const wxString& entry : box->GetStrings())
                if (box->GetTextExtent(entry).x > room)
                    out->push_back("cut: \"" + entry.utf8_string() + "\" in " + Name(box));
        }
        if (!dynamic_cast<wxGrid*>(shown[i]))
            Inspect(shown[i], out);
    }
}

// Opens the editor of each column in its first editable row: where GTK
// would put it (no smaller than its minimum size), it takes its cell.
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
            GtkRequisition least;
            gtk_widget_get_preferred_size(control->GetHandle(), &least, nullptr);
            wxSize size = control->GetSize();
            size.IncTo(wxSize(least.width, least.height));
            if (wxRect(grid->CalcUnscrolledPosition(control->GetPosition()), size) != grid->CellToRect(r, c))
                out->push_back("editor: column " + std::to_string(c));
        }
        editor->DecRef();
        grid->DisableCellEditControl();
    }
}

// A box shown over the main window stands at its centre.
void InspectPlacement(wxWindow* box, Problems* out)
{
    const wxRect main = MainWindow::GetInstance()->frame->GetScreenRect(), at = Placed(box->GetHandle());
    const wxPoint off = at.GetPosition() + at.GetSize() / 2 - main.GetPosition() - main.GetSize() / 2;
    if (std::abs(off.x) > 2 || std::abs(off.y) > 2)
        out->push_back("misplaced: " + Name(box));
}

// Every dialog shown while it is in place is checked where it stands.
struct DialogsShown : wxEventFilter {
    explicit DialogsShown(Problems* out) : out(out) { wxEvtHandler::AddFilter(this); }
    ~DialogsShown() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override
    {
        auto* dialog = dynamic_cast<wxDialog*>(event.GetEventObject());
        if (event.GetEventType() == wxEVT_SHOW && dialog && static_cast<wxShowEvent&>(event).IsShown())
            InspectPlacement(dialog, out);
        return Event_Skip;
    }
    Problems* out;
};

// Lets the next modal dialog really show: `before` runs as it is about to,
// `look` gets it from inside its modal loop, then it is closed (a message
// box with `response`).
struct LookAtMessageBox : wxModalDialogHook {
    explicit LookAtMessageBox(std::function<void(wxDialog*)> look, int response = GTK_RESPONSE_OK,
                              std::function<void()> before = {})
        : look(std::move(look)), response(response), before(std::move(before))
    {
        Register();
    }
    ~LookAtMessageBox() override { Unregister(); }
    int Enter(wxDialog* box) override
    {
        if (before)
            std::exchange(before, {})();
        timer.Bind(wxEVT_TIMER, [this, box](wxTimerEvent&) {
            look(box);
            if (dynamic_cast<wxMessageDialogBase*>(box))
                gtk_dialog_response(GTK_DIALOG(box->GetHandle()), response);
            else
                box->EndModal(wxID_CANCEL);
        });
        timer.StartOnce(300);
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
    std::function<void(wxDialog*)> look;
    int response;
    std::function<void()> before;
    wxTimer timer;
};

// The page each view ends on: the start page, or the class in the slot shown.
const std::pair<const char*, const char*> kPageOfView[] = {
    {"start", "StartPanel"}, {"scan", "VantrelScanPanel"}, {"details", "VantrelDetailsPanel"},
    {"hub", "VantrelPanel"}, {"hub-wait", "StartPanel"}, {"network-wait", "VantrelPanel"},
    {"network-edit", "VantrelNetPanel"}, {"socket-old-edit", "VantrelSocketPanel"},
    {"socket-new-edit", "VantrelSocketNewPanel"}, {"uart-edit", "VantrelUartPanel"},
    {"advanced-edit", "VantrelAdvancedPanel"}, {"io-edit", "VantrelIOPanel"}, {"analog-edit", "VantrelADCPanel"},
    {"i2c-edit", "VantrelI2CPanel"}, {"powersave-edit", "VantrelPowersavePanel"}, {"batch", "VantrelBatchConf"},
    {"canbus-first", "VantrelCanbusPanel"}, {"actuation-first", "VantrelCanbusActuactionPanel"},
    {"terminal-page", "VantrelTerminalPanel"},
};

std::string ClassOf(wxWindow* w)
{
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(*w).name(), nullptr, nullptr, &status);
    const std::string out = name ? name : "";
    std::free(name);
    return out;
}

struct View {
    const char* name;            // screenshot name; problems are told with it
    std::function<void()> open;  // leaves the page or dialog to inspect on screen
    char type = 'S';
    const char* firmware = "1.4.5";
    const char* told = nullptr;  // the one message box the view ends with
};

class Layout : public AppTest {
protected:
    wxWindow* Page() { return Main()->GetPanel(Main()->currentPanel); }
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
    // A modal dialog `show` opens, inspected and photographed in place.
    std::function<void()> Modal(const char* name, std::function<void()> show)
    {
        return [this, name, show] {
            LookAtMessageBox look([this, name](wxDialog* box) {
                InspectPlacement(box, &found);
                if (dynamic_cast<wxMessageDialogBase*>(box))
                    FindCutLabels(box->GetHandle(), box->GetHandle(), &found);
                else
                    Inspect(box, &found);
                photographed = SaveScreenshot((std::string(name) + ".png").c_str(), box);
            });
            dialogs->Unregister();  // the dialog is closed by `look`
            show();
            dialogs->Register();
        };
    }
    // The hub's read, or with `buttons` the read of the page they lead to,
    // waits on a module that leaves requests carrying `block` (-1: any)
    // unanswered: its progress box, once on screen a few steps, is looked at
    // and cancelled; the question that follows really shows, is looked at
    // and answered Yes, and the window falls `back`.
    std::function<void()> Cancelled(const char* name, std::vector<int> buttons, int block, PanelIndex back)
    {
        return [this, name, buttons, block, back] {
            if (!buttons.empty())
                Hub()();
            module.SetFault(testmod::Fault::Silent, 0, block);
            wxProgressDialog* progress = nullptr;
            wxTimer watch;
            watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
                for (wxWindow* top : wxTopLevelWindows)
                    if (auto* box = dynamic_cast<wxProgressDialog*>(top);
                        box && box->IsShown() && box->GetValue() >= 4) {
                        progress = box;
                        watch.Stop();
                        EXPECT_EQ(box->GetTitle() + ": " + box->GetMessage(),
                                  "Connection to Vantrel: Connection in progress. Please Wait...");
                        InspectPlacement(box, &found);
                        Inspect(box, &found);
                        Click(box, wxID_CANCEL);
                    }
            });
            bool asked = false;
            LookAtMessageBox look(
                [&](wxDialog* box) {
                    auto* question = dynamic_cast<wxMessageDialogBase*>(box);
                    asked = question && question->GetTitle() + ": " + question->GetMessage() ==
                                            "End Connection?: Do you really want to cancel connection?";
                    InspectPlacement(box, &found);
                    FindCutLabels(box->GetHandle(), box->GetHandle(), &found);
                    photographed = SaveScreenshot((std::string(name) + "-cancel.png").c_str(), box);
                },
                GTK_RESPONSE_YES,
                [&] {
                    // Alone on screen, before the question covers it.
                    EXPECT_TRUE(progress && SaveScreenshot((std::string(name) + ".png").c_str(), progress));
                    dialogs->Register();  // for what the end of the wait tells
                });
            dialogs->Unregister();  // the question is answered by `look`
            watch.Start(50);
            if (buttons.empty())
                Hub()();
            for (int id : buttons)
                Click(Page(), id);
            module.SetFault(testmod::Fault::None);
            if (look.before)
                dialogs->Register();
            EXPECT_TRUE(progress && asked) << "progress box seen: " << bool(progress);
            EXPECT_EQ(Main()->currentPanel, back);
        };
    }
    // An address of this process's own: the terminal's data port is fixed.
    const std::string address = ProcessAddress(71);
    testmod::TestModule module{address};
    Problems found;  // in the view being inspected
    bool photographed = false;
};

TEST_F(Layout, EveryViewFitsItsControls)
{
    const int edit = ID_PAGE_EDIT, list = ID_CAN_EDIT_MESSAGES;
    const char* aborted = "Error: Connection aborted by user";
    // clang-format off
    const View views[] = {
        {"start", [] {}}, {"scan", [this] { Main()->ShowScanPanel(); }},
        {"details", [this] { Main()->ShowDetailsPanel("00:1e:c0:12:34:56"); }},
        {"login", [this] { Command(ID_LOGIN); }}, {"terminal-dialog", [this] { Command(ID_TERMINAL); }},
        {"info", Modal("info", [this] { Command(ID_INFO); })},
        {"about", Modal("about", [this] { Command(ID_ABOUT); })},
        {"tip", Modal("tip", [this] {
            wxFile("tips.txt", wxFile::write).Write("Pick a module from the list.\n");
            Main()->config->Write("startup_tip", "true");
            ShowStartupTip(Main()->frame, *Main()->config, "config.ini", "tips.txt"); })},
        {"tool-pointed", [this] {
            // Each tool with a help text of its own: resting on it leaves the version.
            wxToolBar* tools = Main()->frame->GetToolBar();
            for (size_t i = 0; i < tools->GetToolsCount(); ++i)
                if (const wxToolBarToolBase* tool = tools->GetToolByPos(i); !tool->IsSeparator()) {
                    tools->SetToolLongHelp(tool->GetId(), tool->GetLabel() + " tool");
                    tools->OnMouseEnter(tool->GetId());
                    EXPECT_EQ(Main()->statusBar->GetStatusText(0), wxString("Vantrel Glimra - ver. 1.4.3"));
                } }},
        {"hub", Hub()},
        {"hub-wait", Cancelled("hub-wait", {}, -1, PANEL_START), 'S', "1.4.5", aborted},
        {"network-wait", Cancelled("network-wait", {ID_HUB_NETWORK}, DATABLOCK_IP, PANEL_MODULE), 'S', "1.4.5",
         aborted},
        {"network-edit", Hub({ID_HUB_NETWORK})}, {"network-confirm", Hub({ID_HUB_NETWORK, edit})},
        {"socket-old-edit", Hub({ID_HUB_SOCKET}), 'S', "1.1.9"},
        {"socket-old-confirm", Hub({ID_HUB_SOCKET, edit}), 'S', "1.1.9"},
        {"socket-new-edit", Hub({ID_HUB_SOCKET_NEW})}, {"socket-new-confirm", Hub({ID_HUB_SOCKET_NEW, edit})},
        {"uart-edit", Hub({ID_HUB_UART})}, {"uart-confirm", Hub({ID_HUB_UART, edit})},
        {"advanced-edit", Hub({ID_HUB_ADVANCED}), 'A'},
        {"advanced-confirm", Hub({ID_HUB_ADVANCED, edit}), 'A'},
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
        {"terminal-page", [this] {
            Hub({ID_HUB_TERMINAL})();
            auto* radio = dynamic_cast<wxRadioBox*>(Page()->FindWindow(41));
            radio->SetSelection(1);
            wxCommandEvent pick(wxEVT_RADIOBOX, 41);
            pick.SetInt(1);
            radio->ProcessWindowEvent(pick);
            guitest::Pump(); }},
    };
    // clang-format on
    // Values every page's checks admit: ports, polling times, I2C record,
    // addresses, CAN speed 500000.
    module.SetElement(46, 0, {0xFF, 0x14, 0xFF, 0x78, 0xFF, 0xDC, 0, 1, 0, 100, 0x03, 0xE8, 0x03, 0xE8});
    module.SetElement(48, 0, {0, 0, 0x03, 0xE8});
    module.SetElement(50, 0, {0, 60});
    module.SetElement(14, 0, {10, 0, 0, 5});
    module.SetElement(15, 0, {255, 255, 255, 0});
    module.SetElement(16, 0, {10, 0, 0, 1});
    module.SetElement(44, 0, {0x00, 0x07, 0xA1, 0x20});
    ASSERT_TRUE(module.Start());
    testmod::TestModule data(address, UartDataPort);
    data.SetDataService(true);
    ASSERT_TRUE(data.Start());
    AddModule(address, "00:1e:c0:12:34:56", "porch");
    // Off the screen's centre: a box centred on the screen is told from one
    // centred on the window.
    Main()->frame->Move(20, 40);
    guitest::Pump();
    for (const View& v : views) {
        SCOPED_TRACE(v.name);
        module.SetIdentity(v.firmware, v.type, "porch");
        dialogs->Clear();
        found.clear();
        {
            DialogsShown shown(&found);
            v.open();
        }
        wxWindow* top = Page() ? Page() : static_cast<wxWindow*>(Main()->startPanel);
        for (const auto& [view, page] : kPageOfView)
            if (std::string(v.name) == view) {
                EXPECT_EQ(ClassOf(top), page);
            }
        for (wxWindow* w : Main()->frame->GetChildren())
            if (auto* dialog = dynamic_cast<wxDialog*>(w); dialog && dialog->IsShown())
                top = dialog;
        guitest::PumpFor(100);
        Inspect(top, &found);
        for (wxWindow* w : top->GetChildren())
            if (auto* grid = dynamic_cast<wxGrid*>(w); grid && grid->IsShown())
                InspectGridEditors(grid, &found);
        EXPECT_TRUE(found.empty()) << testing::PrintToString(found);
        EXPECT_EQ(dialogs->Messages(), v.told ? std::vector<wxString>{v.told} : std::vector<wxString>{});
        if (!std::exchange(photographed, false)) {
            EXPECT_TRUE(SaveScreenshot((std::string(v.name) + ".png").c_str(), dynamic_cast<wxDialog*>(top)));
        }
        if (dynamic_cast<wxDialog*>(top))
            top->Hide();
        Main()->ShowStartPanel();
        guitest::Pump();
    }
}

}  // namespace
