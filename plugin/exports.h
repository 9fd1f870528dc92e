// The three functions the host calls.
#pragma once

#include "host/host_abi.h"
#include "plugin/descriptor.h"

extern "C" {
PluginInfo* __stdcall GetPluginInfo(void);
void __stdcall InitGlobalModule(HostContext* context);
void __stdcall DoneModule(void);
}
