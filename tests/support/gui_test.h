// Helpers for tests that run real windows under Xvfb: event pumping without
// sleeps, a fresh working folder, and scripted answers to modal dialogs.
#pragma once

#include <wx/modalhook.h>
#include <wx/string.h>

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

inline void PrintTo(const wxString& s, std::ostream* os)
{
    *os << '"' << s.utf8_string() << '"';
}

namespace guitest {

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
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string old_, path_;
};

struct ShownDialog {
    wxString title;    // a file dialog's message
    wxString message;  // message dialogs only
    int ticked = -1;   // its check box as shown: 1 ticked, 0 not, -1 none
    long style = 0;    // message dialogs only: buttons, default and icon
    wxString field;    // the first text field's value (a tip dialog's tip)
};

// Answers every modal dialog without showing it, with the answers queued in
// order, then with `fallback`.
class DialogScript : public wxModalDialogHook {
public:
    explicit DialogScript(int fallback = wxID_OK) : fallback_(fallback) { Register(); }
    ~DialogScript() override { Unregister(); }

    void Answer(int id) { answers_.push_back(id); }
    // The path the next file dialog returns.
    void FilePath(const wxString& path) { file_paths_.push_back(path); }
    // Whether a dialog's check box is left ticked when answered (as shown: -1).
    void Tick(int ticked) { tick_ = ticked; }
    // Runs `during` once, while the next dialog is open (before it is answered).
    void WhileOpen(std::function<void()> during) { during_ = std::move(during); }
    const std::vector<ShownDialog>& Shown() const { return shown_; }
    // "title: message" of each dialog shown, in order.
    std::vector<wxString> Messages() const;
    void Clear() { shown_.clear(); }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

private:
    int fallback_;
    int tick_ = -1;
    std::deque<int> answers_;
    std::deque<wxString> file_paths_;
    std::vector<ShownDialog> shown_;
    std::function<void()> during_;
};

}  // namespace guitest
