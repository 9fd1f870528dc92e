// The definition of starter.dll's state record.
#include "testbed/starter/starter_state.h"

StarterState starterState;
