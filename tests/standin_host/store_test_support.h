// A store file in its own temporary folder, registered with starter.dll,
// and one-call read passes for the store tests.
#pragma once

#include "host/host_abi.h"
#include "testbed/starter/standin_api.h"
#include "tests/standin_host/test_files.h"

#include <string>

struct TestStore {
    TempFolder folder;
    std::string path = folder.PathOf("shell.ini");
    int id = StandInOpenStore(path.c_str());
};

// Each opens a read pass, selects the section, reads one value, closes.
inline int ReadStoredInt(int configId, const char* section, const char* key, int def) {
    ConfigCursor cursor;
    OpenCFGr(configId, &cursor);
    FindSection(section, 0, &cursor);
    const int value = GetCFGInt(key, def, &cursor);
    CloseCFGr(&cursor);
    return value;
}

inline std::string ReadStoredString(int configId, const char* section, const char* key, const char* def) {
    ConfigCursor cursor;
    char buffer[kHostNameBufferSize] = {};
    OpenCFGr(configId, &cursor);
    FindSection(section, 0, &cursor);
    GetCFGString(key, def, buffer, kHostNameBufferSize - 1, &cursor);
    CloseCFGr(&cursor);
    return buffer;
}

// One write pass storing one string, as the plug-in's WriteSetting does.
inline void WriteStoredString(int configId, const char* section, const char* key, const char* value) {
    ConfigCursor cursor;
    OpenCFGw(configId, &cursor);
    FindSection(section, 1, &cursor);
    SetCFGString(key, value, &cursor);
    CloseCFGw(configId, CFG_CLOSE_KEEP, &cursor);
}
