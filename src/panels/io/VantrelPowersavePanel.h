// The power-save page: sleep type, boot delay (typed or drawn at random),
// running and sleep times, written under the power-save section; below them
// two commands that act at once: sleep now, and set the running counter.
#pragma once

#include "ConfigPage.h"
#include "PowersaveLogic.h"

class wxButton;
class wxCheckBox;
class wxComboBox;
class wxTextCtrl;

// Ids of the immediate commands' controls.
enum PowersaveId {
    ID_SLEEP_NOW_TIME = 69,
    ID_SLEEP_NOW = 70,
    ID_SET_RUNNING_COUNTER = 71,
    ID_RUNNING_COUNTER_TIME = 72,
};

class VantrelPowersavePanel : public ConfigPage {
public:
    // Refuses firmware without power save before any traffic, then reads the
    // module; throws the error text.
    VantrelPowersavePanel(const wxString& ip, const wxString& port, char type, int firmware);

    // Text changed: relabels the command's button; button: runs the command.
    void OnSleepNow(wxCommandEvent& event);
    void OnSetRunningCounter(wxCommandEvent& event);

    wxComboBox* SleepTypeCombo() const { return m_sleepTypeCombo; }
    wxTextCtrl* BootDelayField() const { return m_bootDelayField; }
    wxCheckBox* RandomBox() const { return m_randomBox; }
    wxTextCtrl* RunningTimeField() const { return m_runningTimeField; }
    wxTextCtrl* SleepTimeField() const { return m_sleepTimeField; }

protected:
    bool CheckForm() override;
    void EnableForm(bool editable) override;
    bool CollectWrite(std::vector<BlockValue>* blocks) override;
    uint8_t Section() const override { return CONF_SECTION_POWERSAVE; }

private:
    void BuildForm();
    // The form's record with this boot delay text; `refused` is the text of
    // a field that cannot be sent.
    PowersaveField FormConfig(const wxString& bootDelay, PowersaveConfig* config, wxString* refused) const;
    // One synchronous write of `block` without a section save. False when
    // the exchange failed (shown); an echo that differs shows `echoError`.
    bool SendImmediate(const BlockValue& block, const wxString& echoError);

    PowersaveConfig m_read;
    wxComboBox* m_sleepTypeCombo = nullptr;
    wxTextCtrl* m_bootDelayField = nullptr;
    wxCheckBox* m_randomBox = nullptr;
    wxTextCtrl* m_runningTimeField = nullptr;
    wxTextCtrl* m_sleepTimeField = nullptr;
    wxTextCtrl* m_sleepNowField = nullptr;
    wxButton* m_sleepNowButton = nullptr;
    wxTextCtrl* m_counterField = nullptr;
    wxButton* m_counterButton = nullptr;
};
