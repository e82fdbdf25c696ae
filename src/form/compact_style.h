#pragma once

namespace quillet {

// Point size of the form's labels, fields and buttons: three quarters of
// base/100.  The form's places were laid out for a sans-serif at base/100
// points drawn much narrower than GTK draws it at 96 pixels per inch: at 10
// points "search for \"" is 68 pixels wide where its field leaves 57, and
// at 8 points "file|Msg-ID \"" still reaches one pixel into its field.
constexpr double FormTextPointSize(int scaleBase) { return scaleBase * 3 / 400.0; }

}  // namespace quillet
