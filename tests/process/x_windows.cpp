#include "x_windows.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace proctest {

namespace {

// Windows come and go while we walk the tree; a vanished window is no error.
int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

}  // namespace

XScreen::XScreen()
{
    display_ = XOpenDisplay(nullptr);
    if (display_)
        XSetErrorHandler(IgnoreErrors);
}

XScreen::~XScreen()
{
    if (display_)
        XCloseDisplay(display_);
}

std::string XScreen::TitleOf(Window w)
{
    Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display_, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        if (type == utf8 && format == 8)
            title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display_, w, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

void XScreen::Collect(Window parent, int depth, std::vector<TopWindow>* out)
{
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(display_, parent, &root, &up, &children, &n))
        return;
    for (unsigned int i = 0; i < n; ++i) {
        XWindowAttributes attr;
        if (!XGetWindowAttributes(display_, children[i], &attr) || attr.map_state != IsViewable)
            continue;
        std::string title = TitleOf(children[i]);
        if (!title.empty())
            out->push_back({children[i], title, attr.x, attr.y, attr.width, attr.height});
        else if (depth > 0)
            Collect(children[i], depth - 1, out);
    }
    if (children)
        XFree(children);
}

std::vector<TopWindow> XScreen::Titled()
{
    std::vector<TopWindow> out;
    if (!display_)
        return out;
    XSync(display_, False);
    Collect(DefaultRootWindow(display_), 1, &out);
    return out;
}

std::vector<TopWindow> XScreen::Find(const std::string& title)
{
    std::vector<TopWindow> out;
    for (const TopWindow& w : Titled())
        if (w.title == title)
            out.push_back(w);
    return out;
}

void XScreen::Focus(Window w)
{
    XRaiseWindow(display_, w);
    XSetInputFocus(display_, w, RevertToParent, CurrentTime);
    XSync(display_, False);
}

void XScreen::Key(const char* keysym)
{
    KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym));
    XTestFakeKeyEvent(display_, code, True, 0);
    XTestFakeKeyEvent(display_, code, False, 20);
    XSync(display_, False);
}

void XScreen::Chord(const char* modifier, const char* keysym)
{
    KeyCode mod = XKeysymToKeycode(display_, XStringToKeysym(modifier));
    KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym));
    XTestFakeKeyEvent(display_, mod, True, 0);
    XTestFakeKeyEvent(display_, code, True, 20);
    XTestFakeKeyEvent(display_, code, False, 20);
    XTestFakeKeyEvent(display_, mod, False, 20);
    XSync(display_, False);
}

bool XScreen::Grab(Window w, int width, int height, std::vector<unsigned char>* rgb)
{
    XImage* image = XGetImage(display_, w, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image)
        return false;
    auto shiftOf = [](unsigned long mask) {
        int shift = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        return shift;
    };
    const int rs = shiftOf(image->red_mask), gs = shiftOf(image->green_mask), bs = shiftOf(image->blue_mask);
    rgb->resize(static_cast<size_t>(width) * height * 3);
    size_t k = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            (*rgb)[k++] = static_cast<unsigned char>((p & image->red_mask) >> rs);
            (*rgb)[k++] = static_cast<unsigned char>((p & image->green_mask) >> gs);
            (*rgb)[k++] = static_cast<unsigned char>((p & image->blue_mask) >> bs);
        }
    XDestroyImage(image);
    return true;
}

}  // namespace proctest
