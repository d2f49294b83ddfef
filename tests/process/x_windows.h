// Looks at the top-level windows of the test's own X server and drives them
// with XTest, as a user at the keyboard would.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace proctest {

struct TopWindow {
    Window id = 0;
    std::string title;
    int x = 0, y = 0;
    int width = 0, height = 0;
};

class XScreen {
public:
    XScreen();  // opens $DISPLAY; Ok() tells whether that worked
    ~XScreen();
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;

    bool Ok() const { return display_ != nullptr; }
    // Viewable windows with a title, children of the root and one level
    // below (no window manager here, so top levels are root children).
    std::vector<TopWindow> Titled();
    // The viewable windows titled exactly so.
    std::vector<TopWindow> Find(const std::string& title);

    // Gives the keyboard focus to a window and types keys on it.
    void Focus(Window w);
    // keysym names as XStringToKeysym takes them ("Return", "Alt_L", "f").
    void Key(const char* keysym);
    void Chord(const char* modifier, const char* keysym);

    // Reads a window's pixels as RGB triplets, row by row.
    bool Grab(Window w, int width, int height, std::vector<unsigned char>* rgb);

private:
    std::string TitleOf(Window w);
    void Collect(Window parent, int depth, std::vector<TopWindow>* out);

    Display* display_ = nullptr;
};

}  // namespace proctest
