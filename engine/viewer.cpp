// The maze viewer's entry point.
#include "engine/Engine.h"

int main(int argc, char** argv) {
  platform::SetCommandLine(argc, argv);
  STARTUP();
  MAIN();
}
