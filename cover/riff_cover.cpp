// The cover in a WAV or AIFF file: an ID3v2 tag in an "id3 " or "ID3 "
// chunk, read by the ID3 reader within the chunk's bounds. Chunks are
// walked by their headers alone, so the samples before the tag are skipped
// unread, and a file of a gigabyte costs what one of a megabyte does.
// RIFF/WAVE sizes are little-endian, FORM/AIFF and AIFC ones big-endian;
// each chunk's body is padded to an even length.
#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"

namespace {

constexpr uint64_t kChunkHeaderSize = 8;
constexpr uint64_t kFormFieldsSize = 12;  // the form's id, size and type
constexpr uint64_t kFormSizeEnd = 8;      // the form's size counts from here

bool ReadU32(ByteCursor& bytes, ChunkOrder order, uint32_t& value) {
    return order == ChunkOrder::kLittleEndian ? bytes.ReadU32LE(value) : bytes.ReadU32BE(value);
}

}  // namespace

HeapBytes FindChunkedId3Cover(CoverReadBudget& file, ChunkOrder order) {
    std::array<uint8_t, kFormFieldsSize> form;
    ByteCursor formFields(form.data(), form.size());
    uint32_t formSize = 0;
    if (!file.ReadAt(0, form.data(), form.size()) || !formFields.Skip(4) || !ReadU32(formFields, order, formSize)) {
        return {};
    }
    // A form that claims more than the file holds is walked as far as the
    // file goes: writers that stream leave its size unknown or too large.
    FileWindow chunks(file, kFormFieldsSize, kFormSizeEnd + uint64_t{formSize});
    while (chunks.Remaining() >= kChunkHeaderSize) {
        std::array<uint8_t, kChunkHeaderSize> header;
        ByteCursor fields(header.data(), header.size());
        ByteCursor id;
        uint32_t size = 0;
        FileWindow body;
        if (!chunks.Read(header) || !fields.Take(4, id) || !ReadU32(fields, order, size) || !chunks.Take(size, body)) {
            return {};
        }
        if (id.RestEquals("id3 ") || id.RestEquals("ID3 ")) return FindId3Cover(file, body).picture;
        // The last chunk's pad byte may be missing.
        if (size % 2 != 0 && !chunks.Skip(1)) break;
    }
    return {};
}
