#include "gui_test.h"

#include <unistd.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <chrono>
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
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (Pump(); !pred(); Pump()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void PumpFor(int ms)
{
    WaitFor([] { return false; }, ms);
}

TempWorkDir::TempWorkDir() : old_(std::filesystem::current_path().string())
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
    path_ = mkdtemp(tmpl.data()) ? tmpl : std::string();
    std::filesystem::current_path(path_);
}

TempWorkDir::~TempWorkDir()
{
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(path_, ec);
}

std::vector<wxString> DialogScript::Messages() const
{
    std::vector<wxString> out;
    for (const ShownDialog& d : shown_)
        out.push_back(d.title + ": " + d.message);
    return out;
}

int DialogScript::Enter(wxDialog* dialog)
{
    ShownDialog d;
    d.title = dialog->GetTitle();
    if (auto* m = dynamic_cast<wxMessageDialogBase*>(dialog)) {
        d.title = m->GetTitle();
        d.message = m->GetMessage();
        d.style = m->GetMessageDialogStyle();
    }
    if (auto* f = dynamic_cast<wxFileDialogBase*>(dialog)) {
        d.title = f->GetMessage();
        if (!file_paths_.empty()) {
            f->SetPath(file_paths_.front());
            file_paths_.pop_front();
        }
    }
    for (wxWindow* child : dialog->GetChildren()) {
        if (auto* text = dynamic_cast<wxTextCtrl*>(child); text && d.field.empty())
            d.field = text->GetValue();
        if (auto* box = dynamic_cast<wxCheckBox*>(child)) {
            d.ticked = box->GetValue();
            box->SetValue(tick_ < 0 ? box->GetValue() : tick_ == 1);
        }
    }
    shown_.push_back(d);
    if (during_) {
        const std::function<void()> during = std::move(during_);
        during_ = nullptr;
        during();
    }
    if (answers_.empty())
        return fallback_;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

}  // namespace guitest
