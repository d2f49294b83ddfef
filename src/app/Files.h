// Files the user chooses and files the program replaces.
#pragma once

#include <wx/file.h>
#include <wx/string.h>

class wxFileDialog;

// The file the user chose in a file dialog. wxGTK's native chooser reports
// its path only once it has been shown; the folder and name it keeps are the
// same choice.
wxString ChosenPath(const wxFileDialog& dialog);

// A new file written beside `target` and put in its place only once it is
// complete, so a failed write never costs the file it was to replace.
class FileReplacement {
public:
    explicit FileReplacement(const wxString& target);
    // Removes the new file unless it was committed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Whether the new file could be made (in target's folder).
    bool Created() const { return !m_temp.empty(); }
    const wxString& Path() const { return m_temp; }
    const wxString& Folder() const { return m_folder; }
    // Open on Path() after construction; write through it, or close it and
    // write Path() another way.
    wxFile& File() { return m_file; }

    // Closes the new file, gives it the mode of the file it replaces (or the
    // usual one for a new file) and renames it over target in one step.
    // False, with the system's reason, when that fails; target is then as it
    // was.
    bool Commit(wxString* reason = nullptr);

private:
    wxString m_target;
    wxString m_folder;
    wxString m_temp;
    wxFile m_file;
    bool m_committed = false;
};
