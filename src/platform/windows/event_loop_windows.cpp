#include "platform/event_loop.h"

namespace quillet::platform {

bool NextSliceWhenIdle() { return true; }

}  // namespace quillet::platform
