// Broken copies of sound music files, each broken one way: the ways a file
// cut short, a bad tagger or a hostile file break what a tag reader trusts.
#pragma once

#include "testbed/soak/soak_cover_tags.h"

#include <random>
#include <string>

enum class Mutation {
    Truncated,           // cut somewhere inside the tags
    LengthSet,           // one length field set to a size no file has, or to 0
    BytesFlipped,        // up to 16 bytes of the tags changed
    RandomBody,          // the tags' first bytes kept (a signature or header), the rest random
    PictureBroken,       // a picture's bytes broken inside a sound tag
    PictureClaimsHuge,   // a picture's length grown past 16 MB, the file not
};

constexpr Mutation kMutations[] = {Mutation::Truncated,     Mutation::LengthSet,     Mutation::BytesFlipped,
                                   Mutation::RandomBody,    Mutation::PictureBroken, Mutation::PictureClaimsHuge};

// A picture's length a tag claims past the most a cover may have.
constexpr uint64_t kClaimedPictureBytes = 16u * 1024 * 1024 + 1;

struct MutatedFile {
    Bytes bytes;
    std::string what;  // how it was broken, for the soak's messages
};

// False when this mutation cannot be made of this file (no picture, or no
// length field that can hold the claim).
bool CanMutate(const MusicFile& file, Mutation mutation);
// The file broken this way, drawing where and how from random.
MutatedFile Mutate(const MusicFile& file, Mutation mutation, std::mt19937& random);
