// The cover in an ASF file (WMA, WMV): a WM/Picture attribute, in the
// Extended Content Description Object or, for pictures over 64 KB, in the
// Header Extension Object's Metadata Library Object. The Header Object
// holds only metadata, the audio following it, so it is read whole and the
// chosen picture cut out of it. Every object's 64-bit size must fit in its
// parent, or the file is malformed.
#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"

namespace {

constexpr std::string_view kExtendedContentDescription{
    "\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16};
constexpr std::string_view kHeaderExtension{"\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65", 16};
constexpr std::string_view kMetadataLibrary{"\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54", 16};
constexpr size_t kGuidSize = 16;
constexpr uint64_t kObjectHeaderSize = 24;  // GUID and size
// The Header Object's count of children and two reserved bytes.
constexpr size_t kHeaderFieldsSize = 6;
// The Header Extension's reserved GUID and word, before its data's size.
constexpr uint64_t kExtensionReservedSize = 18;
// A Metadata Library record's language index and stream number.
constexpr uint64_t kRecordPlaceSize = 4;
constexpr uint16_t kByteArray = 1;
// "WM/Picture" in UTF-16LE; its terminator is counted in the name's length.
constexpr std::string_view kPictureName{"W\0M\0/\0P\0i\0c\0t\0u\0r\0e\0", 20};
constexpr std::string_view kUtf16Terminator{"\0\0", 2};

// The next object in parent, which moves past it.
bool NextObject(ByteCursor& parent, ByteCursor& guid, ByteCursor& body) {
    uint64_t size = 0;
    return parent.Take(kGuidSize, guid) && parent.ReadU64LE(size) && size >= kObjectHeaderSize &&
           parent.Take(size - kObjectHeaderSize, body);
}

bool IsPictureName(ByteCursor name) {
    return name.SkipIf(kPictureName) && (name.Remaining() == 0 || name.RestEquals(kUtf16Terminator));
}

// WM/Picture's value: the picture type, the data's length, MIME type and
// description as terminated UTF-16, then the data.
void OfferPicture(ByteCursor value, const HeapBytes& header, CoverChoice<PictureSpan>& choice) {
    uint8_t pictureType = 0;
    uint32_t dataSize = 0;
    ByteCursor mime, description, data;
    if (value.ReadU8(pictureType) && value.ReadU32LE(dataSize) && value.TakeTerminated(2, mime) &&
        value.TakeTerminated(2, description) && value.Take(dataSize, data)) {
        OfferRest(data, header, pictureType, choice);
    }
}

bool OfferContentDescriptors(ByteCursor object, const HeapBytes& header, CoverChoice<PictureSpan>& choice) {
    uint16_t count = 0;
    if (!object.ReadU16LE(count)) return false;
    for (uint16_t index = 0; index < count; ++index) {
        uint16_t nameSize = 0, valueType = 0, valueSize = 0;
        ByteCursor name, value;
        if (!object.ReadU16LE(nameSize) || !object.Take(nameSize, name) || !object.ReadU16LE(valueType) ||
            !object.ReadU16LE(valueSize) || !object.Take(valueSize, value)) {
            return false;
        }
        if (valueType == kByteArray && IsPictureName(name)) OfferPicture(value, header, choice);
    }
    return true;
}

bool OfferLibraryRecords(ByteCursor object, const HeapBytes& header, CoverChoice<PictureSpan>& choice) {
    uint16_t count = 0;
    if (!object.ReadU16LE(count)) return false;
    for (uint16_t index = 0; index < count; ++index) {
        uint16_t nameSize = 0, valueType = 0;
        uint32_t valueSize = 0;
        ByteCursor name, value;
        if (!object.Skip(kRecordPlaceSize) || !object.ReadU16LE(nameSize) || !object.ReadU16LE(valueType) ||
            !object.ReadU32LE(valueSize) || !object.Take(nameSize, name) || !object.Take(valueSize, value)) {
            return false;
        }
        if (valueType == kByteArray && IsPictureName(name)) OfferPicture(value, header, choice);
    }
    return true;
}

bool OfferExtensionPictures(ByteCursor object, const HeapBytes& header, CoverChoice<PictureSpan>& choice) {
    uint32_t dataSize = 0;
    ByteCursor children;
    if (!object.Skip(kExtensionReservedSize) || !object.ReadU32LE(dataSize) || !object.Take(dataSize, children)) {
        return false;
    }
    while (children.Remaining() > 0) {
        ByteCursor guid, body;
        if (!NextObject(children, guid, body)) return false;
        if (guid.RestEquals(kMetadataLibrary) && !OfferLibraryRecords(body, header, choice)) return false;
    }
    return true;
}

}  // namespace

HeapBytes FindAsfCover(CoverReadBudget& file) {
    std::array<uint8_t, kObjectHeaderSize> start;
    ByteCursor fields(start.data(), start.size());
    uint64_t size = 0;
    if (!file.ReadAt(0, start.data(), start.size()) || !fields.SkipIf(kAsfHeaderGuid) || !fields.ReadU64LE(size) ||
        size < kObjectHeaderSize) {
        return {};
    }
    HeapBytes header;
    if (!file.ReadAt(kObjectHeaderSize, size - kObjectHeaderSize, header)) return {};
    ByteCursor children(header);
    CoverChoice<PictureSpan> choice;
    if (!children.Skip(kHeaderFieldsSize)) return {};
    while (children.Remaining() > 0 && !choice.HaveFrontCover()) {
        ByteCursor guid, body;
        if (!NextObject(children, guid, body)) return {};
        const bool good = guid.RestEquals(kExtendedContentDescription) ? OfferContentDescriptors(body, header, choice)
                          : guid.RestEquals(kHeaderExtension)         ? OfferExtensionPictures(body, header, choice)
                                                                      : true;
        if (!good) return {};
    }
    if (!choice.Chosen()) return {};
    return CutOut(std::move(header), *choice.Chosen());
}
