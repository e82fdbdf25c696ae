#pragma once
#include "platform/style.h"

namespace quillet {

// Point size of the form's labels, fields and buttons: three quarters of
// base/100.  The form's places were laid out for a sans-serif at base/100
// points drawn much narrower than Arial or its metric twin is drawn today at
// 96 pixels per inch: at 10 points "search for \"" is 68 pixels wide where
// its field leaves 57, and at 8 points "file|Msg-ID \"" still reaches one
// pixel into its field.
inline double FormTextPointSize(int scaleBase) {
    return scaleBase * 3 / 400.0;
}

}  // namespace quillet
