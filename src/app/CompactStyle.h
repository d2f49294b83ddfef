// One style sheet for the whole program: GTK's controls made as compact as
// the fixed layouts need (rows 22 to 25 pixels tall), texts still whole.
#pragma once

// Loads the style for every window of the screen; call once the GUI library
// has started, before any window is built. Calling it again changes nothing.
void UseCompactControls();

class wxWindow;

// Gives every static text in `top` and below at least the size its text
// needs in its font (a label sized before its font was set is a few pixels
// short); positions stay, and a text that fits keeps its size.
void FitTexts(wxWindow* top);
