#pragma once
// How work that the event loop drives in slices goes on from one slice to
// the next.

namespace quillet::platform {

// True where the next slice should come in the loop's idle time (after
// drawing, input and due timers) without waiting for a timer: Windows' timers
// wait 10 ms at the least, 15.6 on most machines, which a big copy paid
// after every slice.  A GTK timeout of a millisecond keeps to it and comes
// before the text view's own idle work, which would otherwise take turns
// with the copy and leave live output behind.
bool NextSliceWhenIdle();

}  // namespace quillet::platform
