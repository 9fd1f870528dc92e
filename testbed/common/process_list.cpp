// Processes by program name, from a system snapshot.
#include "testbed/common/process_list.h"

#include <tlhelp32.h>

namespace {

bool SameNameNoCase(std::string_view a, const char* b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b, -1) ==
           CSTR_EQUAL;
}

}  // namespace

std::vector<DWORD> ProcessIdsNamed(std::string_view exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (SameNameNoCase(exeName, entry.szExeFile)) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

bool EndProcesses(const std::vector<DWORD>& processIds, DWORD timeoutMs) {
    bool allEnded = true;
    for (DWORD id : processIds) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process) continue;  // ended meanwhile
        TerminateProcess(process, 1);
        allEnded = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0 && allEnded;
        CloseHandle(process);
    }
    return allEnded;
}
