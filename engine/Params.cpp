// The parameter file. Until its reader lands, start-up reads nothing here.
#include "engine/Engine.h"

void LOADPARAMS(const std::string&) {}
