#include "gui_test.h"

#include <unistd.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace guitest {

void Pump()
{
    if (!wxTheApp)
        return;
    wxTheApp->ProcessPendingEvents();
    wxYield();
    wxTheApp->ProcessIdle();
}

bool WaitFor(const std::function<bool()>& pred, int timeout_ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        Pump();
        if (pred())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void PumpFor(int ms)
{
    WaitFor([] { return false; }, ms);
}

TempWorkDir::TempWorkDir()
{
    old_ = std::filesystem::current_path().string();
    std::string tmpl = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    path_ = made ? made : tmpl;
    std::filesystem::current_path(path_);
}

TempWorkDir::~TempWorkDir()
{
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(path_, ec);
}

DialogScript::DialogScript(int fallback) : fallback_(fallback)
{
    Register();
}

DialogScript::~DialogScript()
{
    Unregister();
}

bool DialogScript::Saw(const wxString& message) const
{
    for (const ShownDialog& d : shown_)
        if (d.message == message)
            return true;
    return false;
}

int DialogScript::Enter(wxDialog* dialog)
{
    ShownDialog d;
    d.kind = dialog->GetClassInfo()->GetClassName();
    d.title = dialog->GetTitle();
    if (auto* m = dynamic_cast<wxMessageDialogBase*>(dialog)) {
        d.message = m->GetMessage();
        d.style = m->GetMessageDialogStyle();
        d.title = m->GetTitle();
    }
    if (auto* f = dynamic_cast<wxFileDialogBase*>(dialog)) {
        if (!file_paths_.empty()) {
            f->SetPath(file_paths_.front());
            file_paths_.pop_front();
        }
    }
    shown_.push_back(d);
    int answer = fallback_;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    return answer;
}

void DialogScript::Exit(wxDialog*) {}

}  // namespace guitest
