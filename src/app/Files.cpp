#include "Files.h"

#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The mode of the file replaced, or what the process's mask leaves of
// read-write for everyone (the new file starts private).
mode_t ModeFor(const wxString& path)
{
    struct stat st;
    if (stat(path.fn_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

wxString ChosenPath(const wxFileDialog& dialog)
{
    const wxString path = dialog.GetPath();
    if (!path.empty() || dialog.GetFilename().empty())
        return path;
    return wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
}

FileReplacement::FileReplacement(const wxString& target) : m_target(target)
{
    const wxFileName name(target);
    m_folder = name.GetPath().empty() ? wxString(".") : name.GetPath();
    // The library would report its own failures in dialogs of its own.
    wxLogNull quiet;
    m_temp = wxFileName::CreateTempFileName(m_folder + wxFILE_SEP_PATH + "." + name.GetFullName() + "-", &m_file);
    if (!m_file.IsOpened())
        m_temp.clear();
}

FileReplacement::~FileReplacement()
{
    if (m_file.IsOpened())
        m_file.Close();
    if (!m_committed && !m_temp.empty()) {
        wxLogNull quiet;
        wxRemoveFile(m_temp);
    }
}

bool FileReplacement::Commit(wxString* reason)
{
    if (m_temp.empty()) {
        if (reason)
            *reason = "no file could be made in " + m_folder;
        return false;
    }
    if (m_file.IsOpened() && !(m_file.Flush() && m_file.Close())) {
        if (reason)
            *reason = "the file could not be written";
        return false;
    }
    // rename() replaces the file in one step: it is never seen half written.
    if (chmod(m_temp.fn_str(), ModeFor(m_target)) != 0 || std::rename(m_temp.fn_str(), m_target.fn_str()) != 0) {
        if (reason)
            *reason = wxString::FromUTF8(std::strerror(errno));
        return false;
    }
    m_committed = true;
    return true;
}
