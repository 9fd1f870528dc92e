// InitGlobalModule and DoneModule: starting and stopping the plug-in.
#include "plugin/exports.h"

extern "C" void __stdcall InitGlobalModule(HostContext* /*context*/) {}

extern "C" void __stdcall DoneModule(void) {}
