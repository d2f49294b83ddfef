// Helpers for tests that run real windows under Xvfb: event pumping without
// sleeps, a fresh working folder, and scripted answers to modal dialogs.
#pragma once

#include <wx/modalhook.h>
#include <wx/string.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace guitest {

// Processes pending events and idle handlers once.
void Pump();
// Pumps until pred() holds or timeout_ms passes; returns pred().
bool WaitFor(const std::function<bool()>& pred, int timeout_ms = 5000);
// Pumps for about ms milliseconds (to let unwanted events show up).
void PumpFor(int ms);

// Makes a fresh temporary folder the working folder; restores the old one
// and removes the folder on destruction.
class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    const std::string& Path() const { return path_; }
    // Absolute path of a file inside the folder.
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string old_;
    std::string path_;
};

// One modal dialog that was shown (or would have been).
struct ShownDialog {
    wxString kind;     // class name: wxMessageDialog, wxFileDialog, ...
    wxString title;
    wxString message;  // message dialogs only
    long style = 0;    // message dialogs only
};

// Answers every modal dialog without showing it. Answers are taken in order;
// when none is queued, a dialog is answered with `fallback`.
class DialogScript : public wxModalDialogHook {
public:
    explicit DialogScript(int fallback = wxID_OK);
    ~DialogScript() override;

    void Answer(int id) { answers_.push_back(id); }
    // Before a file dialog returns, its path is set to this.
    void FilePath(const wxString& path) { file_paths_.push_back(path); }
    const std::vector<ShownDialog>& Shown() const { return shown_; }
    bool Saw(const wxString& message) const;
    void Clear() { shown_.clear(); }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

private:
    int fallback_;
    std::deque<int> answers_;
    std::deque<wxString> file_paths_;
    std::vector<ShownDialog> shown_;
};

}  // namespace guitest
