// WAV files as Microsoft and IBM's RIFF document of 1991 lays them out,
// and AIFF and AIFC files as Apple's Audio Interchange File Format 1.3 and
// its AIFF-C draft do: the format chunks, a chunk of odd size, the samples
// and an ID3 chunk (the ID3v2.3 tag that taggers keep in an "id3 " or
// "ID3 " chunk) in either order.
#include "testbed/covers/file_pieces.h"

#include <string_view>
#include <utility>

using namespace cover_writers;

namespace {

// A RIFF or IFF chunk, its body padded to an even length.
Piece Chunk(std::string_view id, const Piece& body, bool bigEndian, uint32_t claimedSize) {
    Piece chunk;
    Append(chunk.bytes, id);
    PutLength(chunk, claimedSize, 4, bigEndian ? NumberCoding::BigEndian : NumberCoding::LittleEndian);
    Append(chunk, body);
    if (chunk.bytes.size() % 2 != 0) PutU8(chunk.bytes, 0);
    return chunk;
}

Piece Chunk(std::string_view id, const Piece& body, bool bigEndian) {
    return Chunk(id, body, bigEndian, static_cast<uint32_t>(body.bytes.size()));
}

// AIFF's COMM chunk: two channels of 16 bits at 44.1 kHz, the rate as an
// 80-bit extended number; AIFC adds its compression type and name.
Bytes AiffCommon(uint32_t frames, bool aifc) {
    Bytes comm;
    PutU16BE(comm, 2);
    PutU32BE(comm, frames);
    PutU16BE(comm, 16);
    Append(comm, Bytes{0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0});
    if (aifc) {
        Append(comm, "NONE");
        const std::string_view name = "not compressed";  // a Pascal string padded to even
        PutU8(comm, static_cast<uint32_t>(name.size()));
        Append(comm, name);
        if ((name.size() + 1) % 2 != 0) PutU8(comm, 0);
    }
    return comm;
}

}  // namespace

std::vector<uint8_t> BuildPcmFile(const std::vector<TagPicture>& pictures, const PcmOptions& options,
                                  FileLayout* layout) {
    const bool wav = options.form == PcmOptions::Form::kWav;
    const bool aifc = options.form == PcmOptions::Form::kAifc;
    Piece chunks;
    if (wav) {
        Bytes format;
        PutU16LE(format, 1);  // PCM
        PutU16LE(format, 2);
        PutU32LE(format, 44100);
        PutU32LE(format, 44100 * 4);
        PutU16LE(format, 4);
        PutU16LE(format, 16);
        Append(chunks, Chunk("fmt ", Plain(format), false));
        Append(chunks, Chunk("JUNK", Plain(Bytes(5, 0)), false));  // odd, so padded
    } else {
        if (aifc) Append(chunks, Chunk("FVER", Plain({0xA2, 0x80, 0x51, 0x40}), true));
        Append(chunks, Chunk("COMM", Plain(AiffCommon(options.sampleBytes / 4, aifc)), true));
        Append(chunks, Chunk("NAME", Plain({'S', 'o', 'n', 'g', '!'}), true));  // odd, so padded
    }
    Id3Options id3;
    id3.padding = 16;
    const Piece tag = Chunk(options.id3ChunkId, Id3Tag(pictures, id3), !wav);
    Bytes samples = wav ? Bytes() : Bytes(8, 0);  // SSND's offset and block size
    const uint32_t samplesSize = static_cast<uint32_t>(samples.size()) + options.sampleBytes;
    if (!options.samplesLeftOut) samples.resize(samplesSize, 0x7E);
    const Piece sound = Chunk(wav ? "data" : "SSND", Plain(samples), !wav, samplesSize);

    Piece file;
    Append(file.bytes, wav ? "RIFF" : "FORM");
    const size_t chunksSize = chunks.bytes.size() + tag.bytes.size() + sound.bytes.size();
    const uint32_t formSize = static_cast<uint32_t>(4 + chunksSize + (options.samplesLeftOut ? samplesSize : 0));
    PutLength(file, formSize, 4, wav ? NumberCoding::LittleEndian : NumberCoding::BigEndian);
    Append(file.bytes, wav ? "WAVE" : aifc ? "AIFC" : "AIFF");
    Append(file, chunks);
    if (!options.id3BeforeSamples) Append(file, sound);
    const ByteSpan tags = {file.bytes.size(), tag.bytes.size()};
    Append(file, tag);
    if (options.id3BeforeSamples) Append(file, sound);
    return Finished(std::move(file), tags, layout);
}
