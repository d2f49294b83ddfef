#include "Common.h"

#include <wx/weakref.h>
#include <wx/window.h>

// Wide literals: a narrow literal would go through the C locale, which is not
// set yet while static objects are built.
const wxString AppVersion = wxS("1.4.3");
const wxString IconsDir = wxS("icons/");

wxFont FontBold11;
wxFont FontBold10;
wxFont FontBold9;
wxFont FontBold8;
wxFont FontItalic8;

namespace {

wxFont MakeFont(int points, wxFontStyle style, wxFontWeight weight)
{
    return wxFont(points, wxFONTFAMILY_DEFAULT, style, weight, false, wxEmptyString, wxFONTENCODING_DEFAULT);
}

}  // namespace

void InitSharedFonts()
{
    if (FontBold11.IsOk())
        return;
    FontBold11 = MakeFont(11, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD);
    FontBold10 = MakeFont(10, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD);
    FontBold9 = MakeFont(9, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD);
    FontBold8 = MakeFont(8, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD);
    FontItalic8 = MakeFont(8, wxFONTSTYLE_ITALIC, wxFONTWEIGHT_NORMAL);
}

wxBitmap IconBitmap(const wxString& fileName)
{
    return wxBitmap(IconsDir + fileName, wxBITMAP_TYPE_JPEG);
}

void DestroyLater(wxWindow* child)
{
    if (!child)
        return;
    child->Hide();
    wxWindow* parent = child->GetParent();
    if (!parent) {
        child->Destroy();
        return;
    }
    // Queued on the parent: dropped with it if the parent goes first.
    wxWeakRef<wxWindow> ref(child);
    parent->CallAfter([ref]() {
        if (ref)
            ref->Destroy();
    });
}
