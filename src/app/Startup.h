// Start-up steps of the main window that are decided apart from the windows:
// the frame's size and style, and the tip of the day kept in "config.ini".
#pragma once

#include <wx/gdicmn.h>
#include <wx/string.h>

class wxFileConfig;
class wxWindow;

extern const wxString StartupConfigFile;  // "config.ini"
extern const wxString StartupTipsFile;    // "tips.txt"

struct FrameLayout {
    wxSize size;
    long style;
    bool maximized;
};

// A fixed-size frame, except on a display exactly 600 pixels high, where the
// frame is shorter, may be maximized and starts maximized.
FrameLayout ChooseFrameLayout(int displayHeight);

// The configuration read from the file (encoding detected); an empty one
// when the file is missing or unreadable, without any message.
wxFileConfig* LoadStartupConfig(const wxString& path);

// Whether "startup_tip" is exactly "true".
bool StartupTipWanted(const wxFileConfig& config);

// After the tip dialog: an unticked box turns the tip off, writing "false"
// and saving the whole configuration to path; a ticked box changes nothing.
// False when the file could not be written.
bool StoreStartupTipChoice(wxFileConfig& config, bool showAtStartup, const wxString& path);

// The whole step: when the tip is wanted and the tips file exists, shows the
// modal tip dialog from the first tip and stores the user's choice.
void ShowStartupTip(wxWindow* parent, wxFileConfig& config, const wxString& configPath,
                    const wxString& tipsPath);
