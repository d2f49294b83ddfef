#include "Startup.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/mstream.h>
#include <wx/tipdlg.h>
#include <wx/toplevel.h>
#include <wx/wfstream.h>

#include <memory>

const wxString StartupConfigFile = wxS("config.ini");
const wxString StartupTipsFile = wxS("tips.txt");

namespace {

const wxString kTipKey = wxS("startup_tip");

}  // namespace

FrameLayout ChooseFrameLayout(int displayHeight)
{
    const long fixed = wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX;
    if (displayHeight == 600)
        return {wxSize(800, 570), fixed | wxMAXIMIZE_BOX | wxMAXIMIZE, true};
    return {wxSize(800, 600), fixed, false};
}

wxFileConfig* LoadStartupConfig(const wxString& path)
{
    // Checked first: opening a missing file would put up the library's error
    // dialog.
    if (wxFileName::FileExists(path) && wxFileName::IsFileReadable(path)) {
        wxFileInputStream in(path);
        if (in.IsOk())
            return new wxFileConfig(in);
    }
    wxMemoryInputStream empty("", 0);
    return new wxFileConfig(empty);
}

bool StartupTipWanted(const wxFileConfig& config)
{
    return config.Read(kTipKey, wxEmptyString) == wxS("true");
}

bool StoreStartupTipChoice(wxFileConfig& config, bool showAtStartup, const wxString& path)
{
    // "true" is never written back: once off, the tip stays off until the
    // file is edited.
    if (showAtStartup)
        return true;
    config.Write(kTipKey, wxS("false"));
    wxFileOutputStream out(path);
    return out.IsOk() && config.Save(out);
}

void ShowStartupTip(wxWindow* parent, wxFileConfig& config, const wxString& configPath,
                    const wxString& tipsPath)
{
    if (!StartupTipWanted(config) || !wxFileName::FileExists(tipsPath))
        return;
    std::unique_ptr<wxTipProvider> tips(wxCreateFileTipProvider(tipsPath, 0));
    const bool showAtStartup = wxShowTip(parent, tips.get(), true);
    StoreStartupTipChoice(config, showAtStartup, configPath);
}
