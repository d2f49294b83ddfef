// The update check at start-up: a tiny version file fetched over HTTP tells
// whether a newer version is available or required.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <string>

// Where the check file lives unless VANTREL_UPDATE_URL names another address,
// and the download page named in the messages.
extern const wxString UpdateCheckDefaultUrl;
extern const wxString UpdateDownloadPage;
extern const char* const UpdateUrlVariable;  // "VANTREL_UPDATE_URL"

// Only this many bytes of the file are read.
constexpr size_t UpdateTextMax = 7;

enum class UpdateKind { None, Available, Required };

struct UpdateNotice {
    UpdateKind kind = UpdateKind::None;
    wxString version;  // the version token as written, dots kept
};

// A version text with its dots removed, read as a decimal number. -1 when it
// holds anything but digits and dots, no digit, or more than four digits.
long UpdateVersionNumber(const std::string& version);

// Parses the bytes of the check file (only the first UpdateTextMax count; a
// zero byte ends the text): "<version>;<flag>", split on ';' the way strtok
// does. A newer version with flag 0 is available, with flag 1 required; any
// other text, malformed or not, gives None.
UpdateNotice ParseUpdateText(const char* bytes, size_t length, const wxString& currentVersion);

// The message box of a notice (kind not None).
wxString UpdateCaption(const UpdateNotice& notice);
wxString UpdateMessage(const UpdateNotice& notice);

// The address of the check file: VANTREL_UPDATE_URL when set and not empty,
// else the default.
wxString UpdateCheckUrl(bool* fromEnvironment = nullptr);

// Reads at most UpdateTextMax bytes of the file at url; false when it cannot
// be opened. Logs nothing.
bool FetchUpdateText(const wxString& url, std::string* text);

// The whole check: unless the address comes from the environment, only when
// the dial-up manager reports the PC online; then fetch, parse and show the
// message. Returns the kind shown; Required means the start-up must end.
UpdateKind RunUpdateCheck();

// The library's internet file-system handler, registered once.
void RegisterInternetHandler();
