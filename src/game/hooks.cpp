#include "game/hooks.h"

LoopHooks gHooks;
