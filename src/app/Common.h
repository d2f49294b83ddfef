// Constants and fonts that every page shares.
#pragma once

#include <wx/bitmap.h>
#include <wx/font.h>
#include <wx/string.h>

class wxWindow;

extern const wxString AppVersion;  // "1.4.3"
extern const wxString IconsDir;    // prefix of every bitmap file name

// Title and label fonts. They stay invalid until InitSharedFonts has run,
// which needs the GUI library to be started.
extern wxFont FontBold11;
extern wxFont FontBold10;
extern wxFont FontBold9;
extern wxFont FontBold8;
extern wxFont FontItalic8;

// Builds the five fonts; call once the GUI library has started. Calling it
// again changes nothing.
void InitSharedFonts();

// A picture of the icons folder (JPEG).
wxBitmap IconBitmap(const wxString& fileName);

// Hides a child window now and destroys it once the handler running has
// returned; a window replaced from inside its own click handler must outlive
// that handler. Nothing happens later when its parent has gone first.
void DestroyLater(wxWindow* child);

// TCP ports of a module.
constexpr int ConfigPort = 65000;    // command protocol
constexpr int UartDataPort = 65100;  // terminal data, serial modules
constexpr int IoDataPort = 65200;    // terminal data, I/O modules
constexpr int CanDataPort = 65300;   // terminal data, CAN modules

// The page the main window shows, one at a time.
enum PanelIndex {
    PANEL_START = 0,
    PANEL_MODULE = 1,
    PANEL_DETAILS = 2,
    PANEL_NET = 3,
    PANEL_UART = 4,
    PANEL_SOCKET = 5,
    PANEL_SOCKET_NEW = 6,
    PANEL_TERMINAL = 7,
    PANEL_SCAN = 8,
    PANEL_CANBUS = 9,
    PANEL_CANBUS_ACTUATION = 10,
    PANEL_IO = 11,
    PANEL_ADC = 12,
    PANEL_ADVANCED = 13,
    PANEL_I2C = 14,
    PANEL_POWERSAVE = 15,
    PANEL_BATCH_CONF = 16,
};
