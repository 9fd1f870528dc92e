// FileExists: whether a path names a file (a folder does not count).
#include "host/host_abi.h"
#include "testbed/starter/call_log.h"
#include "testbed/starter/no_throw.h"

BOOL __stdcall FileExists(const char* path) {
    return NoThrow(FALSE, [&] {
        CallLine("FileExists").Text(path).Record();
        if (path == nullptr) return FALSE;
        const DWORD attributes = GetFileAttributesA(path);
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? TRUE : FALSE;
    });
}
