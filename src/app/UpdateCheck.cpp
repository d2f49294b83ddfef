#include "UpdateCheck.h"

#include <wx/dialup.h>
#include <wx/filesys.h>
#include <wx/fs_inet.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <memory>
#include <vector>

#include "Common.h"

// A reserved name that never resolves: the real host is set at release time
// or through the environment.
const wxString UpdateCheckDefaultUrl = wxS("http://updates.vantrel-glimra.example/checkglimra3.ini");
const wxString UpdateDownloadPage = wxS("http://updates.vantrel-glimra.example/vantrel-s");
const char* const UpdateUrlVariable = "VANTREL_UPDATE_URL";

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// strtok semantics over a bounded text: leading separators are skipped and a
// token runs to the next ';' or the end.
std::vector<std::string> SplitTokens(const std::string& text)
{
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ';')
            ++i;
        if (i == text.size())
            break;
        size_t end = text.find(';', i);
        if (end == std::string::npos)
            end = text.size();
        tokens.push_back(text.substr(i, end - i));
        i = end;
    }
    return tokens;
}

// The flag as a small number: blanks, digits, blanks (a line end may follow
// a short file's flag); -1 for anything else.
int ParseFlag(const std::string& token)
{
    size_t i = 0;
    while (i < token.size() && IsBlank(token[i]))
        ++i;
    const size_t start = i;
    int value = 0;
    while (i < token.size() && IsDigit(token[i])) {
        if (i - start >= 3)
            return -1;
        value = value * 10 + (token[i] - '0');
        ++i;
    }
    if (i == start)
        return -1;
    while (i < token.size() && IsBlank(token[i]))
        ++i;
    return i == token.size() ? value : -1;
}

}  // namespace

long UpdateVersionNumber(const std::string& version)
{
    long value = 0;
    int digits = 0;
    for (char c : version) {
        if (c == '.')
            continue;
        if (!IsDigit(c) || ++digits > 4)
            return -1;
        value = value * 10 + (c - '0');
    }
    return digits == 0 ? -1 : value;
}

UpdateNotice ParseUpdateText(const char* bytes, size_t length, const wxString& currentVersion)
{
    UpdateNotice notice;
    if (!bytes)
        return notice;
    if (length > UpdateTextMax)
        length = UpdateTextMax;
    std::string text(bytes, length);
    // The file is read as a C string: a zero byte ends it.
    const size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);

    const std::vector<std::string> tokens = SplitTokens(text);
    if (tokens.size() < 2)
        return notice;
    const long current = UpdateVersionNumber(currentVersion.utf8_string());
    const long offered = UpdateVersionNumber(tokens[0]);
    if (offered < 0 || current >= offered)
        return notice;
    switch (ParseFlag(tokens[1])) {
        case 0:
            notice.kind = UpdateKind::Available;
            break;
        case 1:
            notice.kind = UpdateKind::Required;
            break;
        default:
            return notice;
    }
    notice.version = wxString::FromUTF8(tokens[0]);
    return notice;
}

wxString UpdateCaption(const UpdateNotice& notice)
{
    return notice.kind == UpdateKind::Required ? wxS("New update required!") : wxS("New update available!");
}

wxString UpdateMessage(const UpdateNotice& notice)
{
    const wxString lead = notice.kind == UpdateKind::Required
                              ? wxS("A new update is required. Please download it at ")
                              : wxS("A new update is available. Download it at ");
    return lead + UpdateDownloadPage + wxS(".\nCurrent version: ") + AppVersion + wxS(" - New version: ") +
           notice.version;
}

wxString UpdateCheckUrl(bool* fromEnvironment)
{
    wxString url;
    const bool set = wxGetEnv(UpdateUrlVariable, &url) && !url.empty();
    if (fromEnvironment)
        *fromEnvironment = set;
    return set ? url : UpdateCheckDefaultUrl;
}

void RegisterInternetHandler()
{
    static bool registered = false;
    if (registered)
        return;
    wxFileSystem::AddHandler(new wxInternetFSHandler);
    registered = true;
}

bool FetchUpdateText(const wxString& url, std::string* text)
{
    RegisterInternetHandler();
    // An unreachable server ends the check silently.
    wxLogNull quiet;
    wxFileSystem fs;
    std::unique_ptr<wxFSFile> file(fs.OpenFile(url, wxFS_READ));
    if (!file || !file->GetStream())
        return false;
    wxInputStream* in = file->GetStream();
    char buffer[UpdateTextMax];
    size_t got = 0;
    while (got < UpdateTextMax) {
        in->Read(buffer + got, UpdateTextMax - got);
        const size_t n = in->LastRead();
        if (n == 0)
            break;
        got += n;
    }
    text->assign(buffer, got);
    return true;
}

UpdateKind RunUpdateCheck()
{
    bool fromEnvironment = false;
    const wxString url = UpdateCheckUrl(&fromEnvironment);
    if (!fromEnvironment) {
        std::unique_ptr<wxDialUpManager> dialUp(wxDialUpManager::Create());
        if (!dialUp || !dialUp->IsOk() || !dialUp->IsOnline())
            return UpdateKind::None;
    }
    std::string text;
    if (!FetchUpdateText(url, &text))
        return UpdateKind::None;
    const UpdateNotice notice = ParseUpdateText(text.data(), text.size(), AppVersion);
    if (notice.kind == UpdateKind::None)
        return UpdateKind::None;
    wxMessageDialog dialog(nullptr, UpdateMessage(notice), UpdateCaption(notice), wxOK | wxICON_INFORMATION);
    dialog.ShowModal();
    return notice.kind;
}
