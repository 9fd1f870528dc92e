// Opening, finding and ending passes over a store; see config_pass.h.
#include "testbed/starter/config_pass.h"

#include "testbed/starter/starter_state.h"
#include "testbed/starter/store_file.h"
#include "testbed/starter/store_registry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint32_t kOpenCursorTag = 0x50434653;  // marks a cursor BeginPass filled in

struct CursorBody {
    uint32_t tag;
    ConfigPass* pass;
    unsigned serial;
};
static_assert(sizeof(CursorBody) <= sizeof(ConfigCursor), "the pass must fit the caller's cursor");

CursorBody ReadBody(const ConfigCursor* cursor) {
    CursorBody body;
    std::memcpy(&body, cursor->opaque, sizeof body);
    return body;
}

void WriteBody(ConfigCursor* cursor, const CursorBody& body) {
    std::memset(cursor->opaque, 0, sizeof cursor->opaque);
    std::memcpy(cursor->opaque, &body, sizeof body);
}

void ApplyEdit(IniDocument& document, const StoreEdit& edit) {
    if (edit.key) {
        SetValue(document, edit.section, *edit.key, edit.value);
    } else {
        AddSection(document, edit.section);
    }
}

IniDocument LoadDocument(int storeId) {
    std::string text;
    if (const std::string* path = StorePathOf(storeId)) ReadStoreText(*path, &text);
    return ParseIni(text);
}

void Save(const ConfigPass& pass) {
    const std::string* path = StorePathOf(pass.storeId);
    if (pass.edits.empty() || path == nullptr) return;
    std::string text;
    // A file that exists but cannot be read would be lost by writing over
    // it what this pass knows; keep it and drop the pass's edits instead.
    if (ReadStoreText(*path, &text) == StoreRead::Unreadable) return;
    // Replaying onto the file as it is now keeps what other passes saved
    // since this one loaded, instead of writing back a stale copy.
    IniDocument current = ParseIni(text);
    for (const StoreEdit& edit : pass.edits) ApplyEdit(current, edit);
    ReplaceStoreText(*path, SerializeIni(current));
}

}  // namespace

ConfigPass* BeginPass(ConfigCursor* cursor, int storeId, bool writing) {
    EndPass(cursor);
    auto pass = std::make_unique<ConfigPass>();
    pass->serial = ++starterState.lastPassSerial;
    pass->storeId = storeId;
    pass->writing = writing;
    pass->document = LoadDocument(storeId);
    pass->section = std::string(kPreamble);
    ConfigPass* opened = pass.get();
    starterState.openPasses.push_back(std::move(pass));
    WriteBody(cursor, {kOpenCursorTag, opened, opened->serial});
    return opened;
}

ConfigPass* PassOf(const ConfigCursor* cursor) {
    if (cursor == nullptr) return nullptr;
    const CursorBody body = ReadBody(cursor);
    if (body.tag != kOpenCursorTag) return nullptr;
    for (const std::unique_ptr<ConfigPass>& pass : starterState.openPasses) {
        if (pass.get() == body.pass && pass->serial == body.serial) return body.pass;
    }
    return nullptr;
}

void EndPass(ConfigCursor* cursor) {
    ConfigPass* pass = PassOf(cursor);
    if (cursor != nullptr) WriteBody(cursor, {0, nullptr, 0});
    if (pass == nullptr) return;
    if (pass->writing) Save(*pass);
    auto& passes = starterState.openPasses;
    passes.erase(std::remove_if(passes.begin(), passes.end(),
                                [pass](const std::unique_ptr<ConfigPass>& open) { return open.get() == pass; }),
                 passes.end());
}

void RecordEdit(ConfigPass& pass, StoreEdit edit) {
    ApplyEdit(pass.document, edit);
    pass.edits.push_back(std::move(edit));
}
