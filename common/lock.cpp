// CLock is header-only; this unit keeps the header compiled on its own, so a
// missing include in it shows up here first.
#include "common/lock.h"
