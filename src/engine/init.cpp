#include "engine/init.h"

int RunGame() { return 0; }
