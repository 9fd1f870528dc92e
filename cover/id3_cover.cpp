// The cover in an ID3v2 tag at the start of the file, or of a WAV or AIFF
// file's ID3 chunk: PIC frames in 2.2, APIC frames in 2.3 and 2.4. The tag
// is read whole (as far as the budget reaches), its unsynchronisation
// undone in place, and the chosen picture cut out of the same buffer, so no
// second copy of it is ever made.
#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"

#include <algorithm>

namespace {

constexpr std::string_view kTagMagic = "ID3";
constexpr uint64_t kTagHeaderSize = 10;
constexpr uint64_t kTagFooterSize = 10;
constexpr uint8_t kNoRevision = 0xFF;

// Tag header flags.
constexpr uint8_t kTagUnsynchronised = 0x80;
constexpr uint8_t kV22TagCompressed = 0x40;  // with no scheme ever defined
constexpr uint8_t kExtendedHeader = 0x40;
constexpr uint8_t kV24Footer = 0x10;

// Frame format flags, the second flag byte.
constexpr uint8_t kV23Compressed = 0x80;
constexpr uint8_t kV23Encrypted = 0x40;
constexpr uint8_t kV23Grouped = 0x20;
constexpr uint8_t kV24Grouped = 0x40;
constexpr uint8_t kV24Compressed = 0x08;
constexpr uint8_t kV24Encrypted = 0x04;
constexpr uint8_t kV24Unsynchronised = 0x02;
constexpr uint8_t kV24DataLength = 0x01;

// 2.2 frames: a 3-character id and a 3-byte size; later ones: 4 and 4,
// then two bytes of flags.
constexpr size_t kV22FrameIdSize = 3;
constexpr size_t kV22FrameHeaderSize = 6;
constexpr size_t kFrameIdSize = 4;
constexpr size_t kFrameHeaderSize = 10;
constexpr uint64_t kGroupIdSize = 1;
constexpr uint64_t kDataLengthSize = 4;
constexpr uint32_t kV24ExtendedSizeField = 4;  // counted in its own size
constexpr size_t kV22FormatSize = 3;
constexpr std::string_view kLinkFormat = "-->";  // the data is a URL

constexpr uint8_t kUtf16WithBom = 1;
constexpr uint8_t kUtf16BigEndian = 2;
constexpr uint8_t kUtf8 = 3;

struct TagHeader {
    uint8_t version = 0;
    uint8_t flags = 0;
    uint32_t size = 0;
};

struct FrameHeader {
    ByteCursor id;
    uint32_t size = 0;
    uint8_t format = 0;
};

enum class FrameRead { kFrame, kEnd, kBad };

bool ReadTagHeader(FileWindow& file, TagHeader& header) {
    std::array<uint8_t, kTagHeaderSize> bytes;
    ByteCursor fields(bytes.data(), bytes.size());
    ByteCursor magic;
    uint8_t revision = 0;
    return file.Read(bytes) && fields.Take(kTagMagic.size(), magic) && magic.RestEquals(kTagMagic) && fields.ReadU8(header.version) &&
           fields.ReadU8(revision) && fields.ReadU8(header.flags) && fields.ReadSyncsafe28(header.size) &&
           header.version >= 2 && header.version <= 4 && revision != kNoRevision;
}

// Drops the zero byte a writer stuffs after each 0xFF from
// bytes[begin, begin + size), in place; returns the size that is left.
size_t RemoveUnsynchronisation(HeapBytes& bytes, size_t begin, size_t size) {
    if (begin > bytes.size() || size > bytes.size() - begin) return 0;
    size_t kept = 0;
    uint8_t previous = 0;
    for (size_t read = 0; read < size; ++read) {
        const uint8_t byte = bytes.data()[begin + read];
        if (!(previous == 0xFF && byte == 0)) bytes.data()[begin + kept++] = byte;
        previous = byte;
    }
    return kept;
}

bool SkipExtendedHeader(ByteCursor& tag, uint8_t version) {
    uint32_t size = 0;
    if (version == 3) return tag.ReadU32BE(size) && tag.Skip(size);
    return tag.ReadSyncsafe28(size) && size >= kV24ExtendedSizeField && tag.Skip(size - kV24ExtendedSizeField);
}

bool IsFrameIdCharacter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

FrameRead ReadFrameHeader(ByteCursor& frames, uint8_t version, FrameHeader& frame) {
    const size_t idSize = version == 2 ? kV22FrameIdSize : kFrameIdSize;
    const size_t headerSize = version == 2 ? kV22FrameHeaderSize : kFrameHeaderSize;
    uint8_t first = 0;
    // Padding, or too little left for a frame: the frames end here.
    if (frames.Remaining() < headerSize || !frames.PeekU8(first) || first == 0) return FrameRead::kEnd;
    ByteCursor peek = frames;
    ByteCursor id;
    if (!peek.Take(idSize, id)) return FrameRead::kEnd;
    // Bytes that are no frame id are junk after the last frame, taken as
    // its end as padding would be.
    for (ByteCursor chars = id; chars.Remaining() > 0;) {
        uint8_t c = 0;
        if (!chars.ReadU8(c) || !IsFrameIdCharacter(c)) return FrameRead::kEnd;
    }
    uint16_t flags = 0;
    bool read = false;
    switch (version) {
    case 2: read = peek.ReadU24BE(frame.size); break;
    case 3: read = peek.ReadU32BE(frame.size) && peek.ReadU16BE(flags); break;
    default: read = peek.ReadSyncsafe28(frame.size) && peek.ReadU16BE(flags); break;
    }
    if (!read) return FrameRead::kBad;
    frame.id = id;
    frame.format = static_cast<uint8_t>(flags & 0xFF);
    frames = peek;
    return FrameRead::kFrame;
}

// Moves frame to the picture's first byte; false when the frame holds no
// picture data of its own.
bool ReadPictureFields(ByteCursor& frame, uint8_t version, uint32_t& pictureType) {
    uint8_t encoding = 0, type = 0;
    ByteCursor format, description;
    if (!frame.ReadU8(encoding) || encoding > kUtf8) return false;
    const bool haveFormat = version == 2 ? frame.Take(kV22FormatSize, format) : frame.TakeTerminated(1, format);
    if (!haveFormat || format.RestEquals(kLinkFormat) || !frame.ReadU8(type)) return false;
    const size_t unit = (encoding == kUtf16WithBom || encoding == kUtf16BigEndian) ? 2 : 1;
    if (!frame.TakeTerminated(unit, description)) return false;
    pictureType = type;
    return true;
}

// The picture frames of one tag, already read into memory.
class FrameScan {
public:
    FrameScan(HeapBytes& tag, const TagHeader& header, bool wholeTag)
        : tag_(tag), header_(header), wholeTag_(wholeTag) {}

    // False when the tag is bad.
    bool Run(CoverChoice<PictureSpan>& choice) {
        ByteCursor frames(tag_);
        if ((header_.flags & kExtendedHeader) && header_.version >= 3 && !SkipExtendedHeader(frames, header_.version)) {
            return false;
        }
        while (!choice.HaveFrontCover()) {
            FrameHeader frame;
            const FrameRead read = ReadFrameHeader(frames, header_.version, frame);
            if (read != FrameRead::kFrame) return read == FrameRead::kEnd;
            const size_t bodyStart = frames.Position();
            ByteCursor body;
            // A frame cut off by the budget rather than by the tag ends the search.
            if (!frames.Take(frame.size, body)) return !wholeTag_;
            if (!frame.id.RestEquals(header_.version == 2 ? "PIC" : "APIC") || IsHidden(frame)) continue;
            OfferPicture(frame, bodyStart, body, choice);
        }
        return true;
    }

private:
    bool IsHidden(const FrameHeader& frame) const {
        if (header_.version == 3) return frame.format & (kV23Compressed | kV23Encrypted);
        if (header_.version == 4) return frame.format & (kV24Compressed | kV24Encrypted);
        return false;
    }

    void OfferPicture(const FrameHeader& frame, size_t bodyStart, ByteCursor body, CoverChoice<PictureSpan>& choice) {
        const bool v4 = header_.version == 4;
        if (v4 && ((header_.flags & kTagUnsynchronised) || (frame.format & kV24Unsynchronised))) {
            const size_t decoded = RemoveUnsynchronisation(tag_, bodyStart, frame.size);
            ByteCursor whole(tag_);
            if (!whole.Skip(bodyStart) || !whole.Take(decoded, body)) return;
        }
        const uint8_t grouped = v4 ? kV24Grouped : header_.version == 3 ? kV23Grouped : 0;
        if ((frame.format & grouped) && !body.Skip(kGroupIdSize)) return;
        if (v4 && (frame.format & kV24DataLength) && !body.Skip(kDataLengthSize)) return;
        uint32_t pictureType = 0;
        if (!ReadPictureFields(body, header_.version, pictureType) || body.Remaining() < kMinPictureSize) return;
        choice.Offer(pictureType, PictureSpan{bodyStart + body.Position(), body.Remaining()});
    }

    HeapBytes& tag_;
    const TagHeader& header_;
    const bool wholeTag_;
};

}  // namespace

Id3Search FindId3Cover(CoverReadBudget& file, FileWindow place) {
    Id3Search search;
    TagHeader header;
    FileWindow tagWindow;
    // A tag that runs past the end of its place is bad.
    if (!ReadTagHeader(place, header) || !place.Take(header.size, tagWindow)) return search;
    const bool footer = header.version == 4 && (header.flags & kV24Footer);
    search.tagEnd = place.Position() + (footer ? kTagFooterSize : 0);
    if (header.version == 2 && (header.flags & kV22TagCompressed)) {
        search.tagIsGood = true;
        return search;
    }

    // A tag larger than the budget is searched as far as the budget reaches.
    const bool wholeTag = tagWindow.Remaining() <= file.Left();
    FileWindow readable;
    HeapBytes tag;
    if (!tagWindow.Take(std::min(tagWindow.Remaining(), file.Left()), readable) || !readable.ReadRest(tag)) {
        return search;
    }
    // In 2.2 and 2.3 the whole tag after its header is unsynchronised at
    // once, frame headers too; 2.4 does it frame by frame.
    if (header.version < 4 && (header.flags & kTagUnsynchronised)) tag.KeepOnly(0, RemoveUnsynchronisation(tag, 0, tag.size()));

    CoverChoice<PictureSpan> choice;
    search.tagIsGood = FrameScan(tag, header, wholeTag).Run(choice);
    if (search.tagIsGood && choice.Chosen()) search.picture = CutOut(std::move(tag), *choice.Chosen());
    return search;
}
