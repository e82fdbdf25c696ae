#include "platform/event_loop.h"

namespace quillet::platform {

bool NextSliceWhenIdle() { return false; }

}  // namespace quillet::platform
