// The ray caster. Until it lands, a frame draws nothing and shows the cleared page.
#include "engine/Engine.h"

void RAYTRACE() {}
