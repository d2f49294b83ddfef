#include "VantrelToolBar.h"

#include <wx/bitmap.h>
#include <wx/frame.h>

#include "Common.h"
#include "MainWindow.h"

namespace {

wxBitmap LoadIcon(const char* name)
{
    return wxBitmap(IconsDir + name, wxBITMAP_TYPE_JPEG);
}

struct ConfigTool {
    int id;
    const char* label;
    const char* icon;
    const char* disabledIcon;
};

const ConfigTool kConfigTools[] = {
    {ID_IMPORT_CONF, "Import configuration", "import-icon.jpg", "import-disabled-icon.jpg"},
    {ID_EXPORT_CONF, "Export current configuration", "export-icon.jpg", "export-disabled-icon.jpg"},
    {ID_LOAD_LAST_CONF, "Load Last configuration", "use-last-conf.jpg", "use-last-conf-disabled.jpg"},
};

}  // namespace

VantrelToolBar::VantrelToolBar()
{
    wxFrame* frame = MainWindow::GetInstance()->frame;
    const wxBitmap back = LoadIcon("back.jpg");
    const wxBitmap home = LoadIcon("home.jpg");
    const wxBitmap exit = LoadIcon("exit.jpg");

    wxToolBar* bar = frame->CreateToolBar();
    frameToolBar = bar;
    bar->AddTool(ID_BACK, wxS("Back"), back, wxNullBitmap, wxITEM_NORMAL);
    bar->AddTool(ID_HOME, wxS("Home"), home, wxNullBitmap, wxITEM_NORMAL);
    bar->AddSeparator();
    bar->AddTool(ID_QUIT, wxS("Exit"), exit, wxNullBitmap, wxITEM_NORMAL);
    bar->AddSeparator();
    for (const ConfigTool& tool : kConfigTools)
        bar->AddTool(tool.id, tool.label, LoadIcon(tool.icon), wxNullBitmap, wxITEM_NORMAL);
    bar->SetBackgroundColour(*wxWHITE);
    bar->Realize();
    for (const ConfigTool& tool : kConfigTools) {
        bar->SetToolDisabledBitmap(tool.id, LoadIcon(tool.disabledIcon));
        bar->EnableTool(tool.id, false);
    }

    // Home and Exit need no binding: the menu's handlers on the frame serve
    // the tools of the same ids.
    frame->Bind(wxEVT_MENU, &VantrelToolBar::OnTool, ID_BACK);
    for (const ConfigTool& tool : kConfigTools)
        frame->Bind(wxEVT_MENU, &VantrelToolBar::OnTool, tool.id);
}

void VantrelToolBar::EnableConfigTools(bool enable)
{
    if (!frameToolBar)
        return;
    for (const ConfigTool& tool : kConfigTools)
        frameToolBar->EnableTool(tool.id, enable);
}

void VantrelToolBar::OnTool(wxCommandEvent& event)
{
    if (MainWindow::Exists())
        MainWindow::GetInstance()->ProcessEvent(event);
}
