// The music files the soak's cover events name to the player: sound ones
// with covers in their tags or beside them, broken copies of them, and
// names that lead nowhere. All of it comes from the seed, so that a failure
// replays with the same bytes, and all of it lies under one folder.
#pragma once

#include "testbed/soak/soak_cover_tags.h"

#include <string>
#include <vector>

struct CoverFileBytes {
    std::string path;  // under the set's folder, in UTF-8
    Bytes bytes;
};

// A name a cover event may give the player as its current entry's file.
struct CoverName {
    std::string path;  // in UTF-8: under the set's folder, or whole
    bool underFolder;
    std::string label;  // what it is, for the soak's messages
};

struct CoverFileSet {
    std::vector<std::string> folders;  // under the set's folder, parents first
    std::vector<CoverFileBytes> files;
    std::vector<CoverName> names;
    std::string failure;  // why the set is incomplete; empty when it is whole
};

// The set for this seed. The calling thread has initialised COM: the
// pictures are encoded by the system's imaging component.
CoverFileSet PlanCoverFiles(unsigned seed);

// 64-bit FNV-1a over the set's folders, files (name and bytes) and names:
// equal for equal sets.
uint64_t CoverSetDigest(const CoverFileSet& set);

// A path under folder (in the system's code page, as GetTempPathA gives
// it) as a wide string; a whole name on its own.
std::wstring CoverPathIn(const std::string& folder, const std::string& path, bool underFolder = true);

// The name as a player takes it: in UTF-8 for a Unicode window, else in
// the code page, where a letter it lacks turns into a name of no file.
std::string CoverNameForPlayer(const std::string& folder, const CoverName& name, bool unicodePlayer);

// Makes the folders and writes the files; false when one could not be made.
bool WriteCoverFiles(const CoverFileSet& set, const std::string& folder);
// Deletes them again, folders last; the paths that could not be deleted.
std::vector<std::string> RemoveCoverFiles(const CoverFileSet& set, const std::string& folder);
// The set's files that a handle somewhere still holds without sharing:
// opening one for reading alone, sharing nothing, fails.
std::vector<std::string> CoverFilesHeldOpen(const CoverFileSet& set, const std::string& folder);
