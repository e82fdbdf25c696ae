#include "app/fonts.h"

#include <wx/font.h>

#include "app/program.h"

namespace quillet {

// The layout was drawn for Arial and Courier New; the Liberation faces have
// the same metrics, so labels and fields keep the widths the layout expects.
// Where they are missing, the family still picks a sans-serif and a
// fixed-pitch face.
static const char kSansFace[] = "Liberation Sans";
static const char kMonoFace[] = "Liberation Mono";

void MakeFonts(int scaleBase) {
    Program& p = TheProgram();
    p.formLabelFont = new wxFont(scaleBase / 100, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL,
                                 wxFONTWEIGHT_NORMAL, false, kSansFace);
    p.formButtonFont = new wxFont(scaleBase / 100, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL,
                                  wxFONTWEIGHT_NORMAL, false, kSansFace);
    p.headingFont = new wxFont(scaleBase / 80, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL,
                               wxFONTWEIGHT_BOLD, false, kSansFace);
    p.paneFont = new wxFont(scaleBase / 80, wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL,
                            wxFONTWEIGHT_NORMAL, false, kMonoFace);
}

}  // namespace quillet
