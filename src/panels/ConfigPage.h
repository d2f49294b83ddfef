// The cycle every configuration page runs: the read of its datablocks under
// the progress wait while it is built, the edit view, the confirmation view,
// the update question, the synchronous write with its echo check, and the
// reboot prompt; Back leads to the hub from the edit view and back to editing
// from the confirmation view.
//
// A page derives from ConfigPage, reads its values with ReadBlocks in its
// constructor, builds its form, calls PlaceButtons, and fills in the hooks.
#pragma once

#include <wx/bitmap.h>
#include <wx/panel.h>
#include <wx/string.h>
#include <wx/valtext.h>

#include <cstdint>
#include <vector>

#include "MainWindow.h"
#include "PageCycle.h"

class wxBitmapButton;

// Command ids and the back-to-edit event of the cycle.
enum PageCycleId {
    ID_PAGE_GO_BACK = 0,
    ID_PAGE_EDIT = 1,
    ID_PAGE_CONFIRM = 2,
};
constexpr int EVT_PANEL_BACK_TO_EDIT = 0;

extern const wxString NetworkDownText;

// The texts a page plugs into the cycle.
struct ConfigPageTexts {
    ConfigPageTexts(const wxString& question, const wxString& warning) : question(question), warning(warning)
    {
    }

    // The other spelling of the two back tool tips: "Go back to Vantrel
    // Panel" and "Go Back to modify configuration!".
    ConfigPageTexts& OtherBackTips()
    {
        backTip = "Go back to Vantrel Panel";
        goBackTip = "Go Back to modify configuration!";
        return *this;
    }
    ConfigPageTexts& GoBackTip(const wxString& text)
    {
        goBackTip = text;
        return *this;
    }
    ConfigPageTexts& NotSaved(const wxString& text)
    {
        notSaved = text;
        return *this;
    }
    ConfigPageTexts& SaveRefused(const wxString& text)
    {
        saveRefused = text;
        return *this;
    }
    // A failed exchange is told by the protocol library's own text.
    ConfigPageTexts& LastErrorOnNetworkDown()
    {
        networkDown.clear();
        return *this;
    }

    wxString question;  // the update question
    wxString warning;   // tool tip of the edit and confirm buttons
    wxString backTip = "Go Back to Vantrel Panel";
    wxString goBackTip = "Go back to modify configuration!";
    wxString notSaved = "Configuration not saved!";  // a datablock refused
    wxString saveRefused;                            // the save order refused; empty: notSaved
    wxString networkDown = NetworkDownText;          // the exchange failed; empty: the last error's text
    wxString savedWithErrors = "Configuration saved with errors!";
};

// What the cycle's options are for one page.
struct ConfigPageRules {
    bool backToEditAfterFailedWrite = true;  // binds EVT_PANEL_BACK_TO_EDIT
    bool checksOnEveryEdit = false;          // the checks run on every OnEdit, before the id is looked at
};
constexpr ConfigPageRules StayOnFailedWrite{false, false};
constexpr ConfigPageRules ChecksOnEveryEdit{true, true};

class ConfigPage : public wxPanel {
public:
    ~ConfigPage() override;

    void OnCommandDone(wxCommandEvent& event);
    void OnCommandFailed(wxCommandEvent& event);
    // By the event's id: 1 to the confirmation view (after the checks), 0 or
    // the Back command back to the edit view.
    void OnEdit(wxCommandEvent& event);
    void OnUpdate(wxCommandEvent& event);
    // The Back command in the edit view: the hub of this module.
    void OnBack(wxCommandEvent& event);

    // A failed check: its message with the page's caption, no parent, OK and
    // the error icon.
    static void ShowCheckFailure(const wxString& message, const wxString& caption);
    // Number fields take digits only; pasted text is checked when it is used.
    static wxTextValidator DigitsValidator();

    bool InConfirmView() const { return m_confirmView; }
    char ModuleType() const { return m_type; }
    int FirmwareVersion() const { return m_firmware; }

    // How one synchronous write ended.
    enum class WriteOutcome { Saved, SavedWithErrors, NotSaved };

protected:
    // Creates the panel on the main window's frame. Throws the error text
    // when the address or port cannot be used.
    ConfigPage(const wxString& windowName, const wxString& ip, const wxString& port, char type, int firmware,
               const ConfigPageTexts& texts, const ConfigPageRules& rules = ConfigPageRules());

    // The values of `blocks` read under the progress wait. Throws the error
    // text: a refused request, a failed, abandoned or cancelled exchange, a
    // datablock missing from the reply. `alsoAsked` join the request after
    // `blocks` but are never taken out, so the reply may lack them.
    std::vector<BlockBytes> ReadBlocks(const std::vector<BlockRef>& blocks,
                                       const std::vector<BlockRef>& alsoAsked = {});

    // Title (model name and `title`), separator and red hint, at the top.
    void BuildHeader(const wxString& title, const wxString& hint);
    // The edit view's Back and edit buttons, the edit one 143 pixels right of
    // `left`; the confirmation view's buttons take the same places. A page
    // that reaches its edit view from a view of its own may give this first
    // left button another id (the pair then has no tool tips); the edit view
    // after a confirmation view always has Back.
    void PlaceButtons(const wxPoint& left, int firstLeftId = ID_BACK);

    // One synchronous exchange of `blocks` and the section save, reported
    // with the page's texts in the "Error" dialog.
    WriteOutcome WriteBlocks(const std::vector<BlockValue>& blocks, uint8_t section);

    // Hooks.
    // Takes the form into the page's values; runs first on every OnEdit.
    virtual void TakeForm() {}
    // The page's checks; a failing check shows its own message. False stops
    // the switch of view.
    virtual bool CheckForm() { return true; }
    // Enables (edit view) or disables (confirmation view) the value controls.
    virtual void EnableForm(bool editable) = 0;
    // The datablocks to write; false when the form cannot be written (the
    // page has said why). Used by the default UpdateConfiguration.
    virtual bool CollectWrite(std::vector<BlockValue>* blocks);
    virtual uint8_t Section() const { return NoSection; }
    // The write: true once it went through (echo errors included).
    virtual bool UpdateConfiguration();
    // Where the echo of a write first differs (see FirstEchoMismatch).
    virtual int EchoMismatch(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockValue>& blocks,
                             uint8_t section);
    // What the echo of a write makes the page say; empty when it matches.
    // By default the saved-with-errors text at EchoMismatch's first mismatch.
    virtual wxString EchoErrorText(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockValue>& blocks,
                                   uint8_t section);
    // After a write that went through, before the reboot prompt.
    virtual void AfterWrite() {}
    // Whether the reboot prompt offers further settings.
    virtual bool AskMore() const { return true; }
    // What follows a write that went through: the reboot prompt.
    virtual void ShowAfterWrite();

    wxString m_ip;
    wxString m_port;
    char m_type;
    int m_firmware;
    char m_ipText[32] = {};
    uint16_t m_portNumber = 0;
    ConfigPageTexts m_texts;
    int m_posX = 30;
    int m_posY = 30;

private:
    void OnBackCommand(wxCommandEvent& event);
    void ShowButtons(bool confirmView, int leftId = ID_BACK);

    ConfigPageRules m_rules;
    int m_waitFlag = 0;
    bool m_confirmView = false;
    wxPoint m_buttonsAt;
    wxBitmap m_backBitmap;
    wxBitmap m_editBitmap;
    wxBitmapButton* m_leftButton = nullptr;
    wxBitmapButton* m_rightButton = nullptr;
};
