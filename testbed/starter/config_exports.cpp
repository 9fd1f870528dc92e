// The configuration store's exports: passes, sections, and typed values.
// Each holds the state lock for the whole call, so its log line and its
// effect keep their order when threads interleave.
#include "host/host_abi.h"
#include "testbed/starter/call_log.h"
#include "testbed/starter/config_pass.h"
#include "testbed/starter/no_throw.h"
#include "testbed/starter/starter_state.h"
#include "testbed/starter/store_registry.h"
#include "testbed/starter/stored_values.h"

#include <string>

namespace {

BOOL OpenPass(const char* function, int configId, ConfigCursor* cursor, bool writing) {
    StateLock lock;
    CallLine(function).Number(configId).Record();
    if (cursor == nullptr) return FALSE;
    if (StorePathOf(configId) == nullptr) {
        EndPass(cursor);
        return FALSE;
    }
    BeginPass(cursor, configId, writing);
    return TRUE;
}

std::optional<std::string_view> Lookup(const ConfigCursor* cursor, const char* key) {
    const ConfigPass* pass = PassOf(cursor);
    if (pass == nullptr || !pass->section || key == nullptr) return std::nullopt;
    return FindValue(pass->document, *pass->section, key);
}

int GetInt(const char* function, const char* key, int def, const ConfigCursor* cursor) {
    StateLock lock;
    CallLine(function).Text(key).Number(def).Record();
    const std::optional<std::string_view> text = Lookup(cursor, key);
    return (text ? ParseStoredInt(*text) : std::nullopt).value_or(def);
}

void Store(ConfigCursor* cursor, const char* key, std::string value) {
    ConfigPass* pass = PassOf(cursor);
    if (pass == nullptr || !pass->writing || !pass->section) return;
    if (key == nullptr || !IsStorableKey(key)) return;
    RecordEdit(*pass, {*pass->section, std::string(key), std::move(value)});
}

}  // namespace

BOOL __stdcall OpenCFGr(int configId, ConfigCursor* c) {
    return NoThrow(FALSE, [&] { return OpenPass("OpenCFGr", configId, c, false); });
}

BOOL __stdcall OpenCFGw(int configId, ConfigCursor* c) {
    return NoThrow(FALSE, [&] { return OpenPass("OpenCFGw", configId, c, true); });
}

void __stdcall CloseCFGr(ConfigCursor* c) {
    NoThrow([&] {
        StateLock lock;
        CallLine("CloseCFGr").Record();
        EndPass(c);
    });
}

void __stdcall CloseCFGw(int configId, int mode, ConfigCursor* c) {
    NoThrow([&] {
        StateLock lock;
        CallLine("CloseCFGw").Number(configId).Number(mode).Record();
        EndPass(c);
    });
}

BOOL __stdcall FindSection(const char* name, int mode, ConfigCursor* c) {
    return NoThrow(FALSE, [&] {
        StateLock lock;
        CallLine("FindSection").Text(name).Number(mode).Record();
        ConfigPass* pass = PassOf(c);
        if (pass == nullptr) return FALSE;
        pass->section.reset();
        if (name == nullptr) return FALSE;
        if (!HasSection(pass->document, name)) {
            if (!pass->writing || !IsStorableSection(name)) return FALSE;
            RecordEdit(*pass, {name, std::nullopt, {}});
        }
        pass->section = name;
        return TRUE;
    });
}

int __stdcall GetCFGInt(const char* key, int def, ConfigCursor* c) {
    return NoThrow(def, [&] { return GetInt("GetCFGInt", key, def, c); });
}

int __stdcall GetCFGBool(const char* key, int def, ConfigCursor* c) {
    return NoThrow(def, [&] { return GetInt("GetCFGBool", key, def, c); });
}

void __stdcall GetCFGString(const char* key, const char* def, char* buf, int max, ConfigCursor* c) {
    NoThrow([&] {
        StateLock lock;
        CallLine("GetCFGString").Text(key).Text(def).Number(max).Record();
        const std::optional<std::string_view> text = Lookup(c, key);
        CopyCut(text ? *text : std::string_view(def ? def : ""), buf, max);
    });
}

void __stdcall SetCFGInt(const char* key, int value, ConfigCursor* c) {
    NoThrow([&] {
        StateLock lock;
        CallLine("SetCFGInt").Text(key).Number(value).Record();
        Store(c, key, std::to_string(value));
    });
}

void __stdcall SetCFGString(const char* key, const char* value, ConfigCursor* c) {
    NoThrow([&] {
        StateLock lock;
        CallLine("SetCFGString").Text(key).Text(value).Record();
        if (value != nullptr) Store(c, key, value);
    });
}
