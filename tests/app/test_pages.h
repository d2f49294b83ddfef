// Test-only pages plugged into the main window's navigation: one that is
// built and records what it gets, one that fails while being built.
#pragma once

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/wxsqlite3.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "MainWindow.h"
#include "VantrelToolBar.h"

namespace apptest {

struct Build {
    int index;
    PageArgs args;
};

// Every page build attempted, in order (failed ones included).
inline std::vector<Build>& Builds()
{
    static std::vector<Build> builds;
    return builds;
}

// A page that counts the commands it receives. Like the network page, it can
// switch the configuration-file tools on.
class ProbePage : public wxPanel {
public:
    ProbePage(int index, const PageArgs& args, bool enablesConfigTools)
        : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY), index(index), args(args)
    {
        // A child, so that destroying the page has something to take along.
        new wxButton(this, wxID_ANY, "child");
        Bind(
            wxEVT_MENU,
            [this](wxCommandEvent&) {
                ++backs;
                if (onBack)
                    onBack(*this);
            },
            ID_BACK);
        Bind(
            wxEVT_MENU, [this](wxCommandEvent& e) { configTools.push_back(e.GetId()); }, ID_IMPORT_CONF,
            ID_LOAD_LAST_CONF);
        if (enablesConfigTools)
            MainWindow::GetInstance()->toolBar->EnableConfigTools(true);
    }

    int index;
    PageArgs args;
    int backs = 0;
    std::vector<int> configTools;
    std::function<void(ProbePage&)> onBack;  // runs inside the Back handler
};

enum class Failure { None, Text, EmptyText, StdException, DbException, NullPage };

// A page that fails after building part of itself.
class FailingPage : public wxPanel {
public:
    FailingPage(Failure failure, const wxString& text) : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY)
    {
        new wxButton(this, wxID_ANY, "half built");
        switch (failure) {
            case Failure::Text:
                MainWindow::GetInstance()->ReportError(text, true);
                break;
            case Failure::EmptyText:
                MainWindow::GetInstance()->ReportError(wxEmptyString, true);
                break;
            case Failure::StdException:
                throw std::runtime_error(text.utf8_string());
            case Failure::DbException:
                throw wxSQLite3Exception(WXSQLITE_ERROR, text);
            default:
                break;
        }
    }
};

inline ProbePage* AsProbe(wxWindow* w)
{
    return dynamic_cast<ProbePage*>(w);
}

// Registers a probe page at index (the configuration tools on for the
// network page, as the real one does).
inline void RegisterProbe(PanelIndex index)
{
    MainWindow::RegisterPage(index, [index](const PageArgs& a) -> wxWindow* {
        Builds().push_back({index, a});
        return new ProbePage(index, a, index == PANEL_NET);
    });
}

inline void RegisterFailing(PanelIndex index, Failure failure, const wxString& text)
{
    MainWindow::RegisterPage(index, [index, failure, text](const PageArgs& a) -> wxWindow* {
        Builds().push_back({index, a});
        if (failure == Failure::NullPage)
            return nullptr;
        return new FailingPage(failure, text);
    });
}

inline void UnregisterAll()
{
    for (int i = 1; i < PANEL_SLOT_COUNT; ++i)
        MainWindow::RegisterPage(static_cast<PanelIndex>(i), nullptr);
    Builds().clear();
}

}  // namespace apptest
