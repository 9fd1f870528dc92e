// WMA files as Microsoft's Advanced Systems Format document lays them out:
// a Header Object with a Content Description, an Extended Content
// Description holding WM/Picture values (the Windows Media Format SDK's
// WM_PICTURE), and a Header Extension whose Metadata Library holds those
// too long for it, then a Data Object.
#include "testbed/covers/file_pieces.h"

#include <string>
#include <utility>

using namespace cover_writers;

namespace {

Bytes AsfGuid(std::string_view bytes) { return Bytes(bytes.begin(), bytes.end()); }

Piece AsfObject(std::string_view guid, const Piece& content) {
    Piece object = Plain(AsfGuid(guid));
    PutLength(object, 24 + content.bytes.size(), 8, NumberCoding::LittleEndian);
    Append(object, content);
    return object;
}

constexpr std::string_view kAsfHeader{"\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};
constexpr std::string_view kAsfData{"\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};
constexpr std::string_view kAsfContentDescription{"\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};
constexpr std::string_view kAsfExtendedContentDescription{"\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16};
constexpr std::string_view kAsfHeaderExtension{"\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65", 16};
constexpr std::string_view kAsfReserved1{"\x11\xD2\xD3\xAB\xBA\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16};
constexpr std::string_view kAsfMetadataLibrary{"\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54", 16};
constexpr uint16_t kAsfUnicode = 0, kAsfByteArray = 1;

// WM/Picture's value: type, size, MIME type and description, then the bytes.
Piece WmPicture(const TagPicture& picture) {
    Piece value;
    PutU8(value.bytes, picture.type);
    PutLength(value, picture.bytes.size(), 4, NumberCoding::LittleEndian);
    Append(value.bytes, Utf16Le(std::u16string(picture.mime.begin(), picture.mime.end())));
    Append(value.bytes, Utf16Le(picture.description));
    PutPicture(value, picture.bytes);
    return value;
}

void PutContentDescriptor(Piece& out, const std::u16string& name, uint16_t type, const Piece& value) {
    const Bytes nameBytes = Utf16Le(name);
    PutLength(out, nameBytes.size(), 2, NumberCoding::LittleEndian);
    Append(out.bytes, nameBytes);
    PutU16LE(out.bytes, type);
    PutLength(out, value.bytes.size(), 2, NumberCoding::LittleEndian);
    Append(out, value);
}

void PutLibraryRecord(Piece& out, const std::u16string& name, uint16_t type, const Piece& value) {
    const Bytes nameBytes = Utf16Le(name);
    PutU16LE(out.bytes, 0);  // language list index
    PutU16LE(out.bytes, 0);  // the whole file, not a stream
    PutLength(out, nameBytes.size(), 2, NumberCoding::LittleEndian);
    PutU16LE(out.bytes, type);
    PutLength(out, value.bytes.size(), 4, NumberCoding::LittleEndian);
    Append(out.bytes, nameBytes);
    Append(out, value);
}

}  // namespace

std::vector<uint8_t> BuildAsfFile(const std::vector<TagPicture>& pictures, const AsfOptions& options,
                                  FileLayout* layout) {
    Piece description, library;
    uint32_t descriptors = 1, records = 0;
    PutContentDescriptor(description, u"WM/AlbumTitle", kAsfUnicode, Plain(Utf16Le(u"Album")));
    for (const TagPicture& picture : pictures) {
        const Piece value = WmPicture(picture);
        if (value.bytes.size() > options.libraryAbove) {
            PutLibraryRecord(library, u"WM/Picture", kAsfByteArray, value);
            ++records;
        } else {
            PutContentDescriptor(description, u"WM/Picture", kAsfByteArray, value);
            ++descriptors;
        }
    }
    Piece content;  // the lengths of the title, author, copyright, description and rating
    const Bytes title = Utf16Le(u"Song");
    PutLength(content, title.size(), 2, NumberCoding::LittleEndian);
    for (int i = 0; i < 4; ++i) PutLength(content, 0, 2, NumberCoding::LittleEndian);
    Append(content.bytes, title);
    Piece extension = Plain(AsfGuid(kAsfReserved1));
    PutU16LE(extension.bytes, 6);
    Piece libraryContent;
    PutU16LE(libraryContent.bytes, records);
    Append(libraryContent, library);
    const Piece libraryObject = AsfObject(kAsfMetadataLibrary, libraryContent);
    PutLength(extension, libraryObject.bytes.size(), 4, NumberCoding::LittleEndian);
    Append(extension, libraryObject);
    Piece descriptionContent;
    PutU16LE(descriptionContent.bytes, descriptors);
    Append(descriptionContent, description);

    Piece header;
    PutU32LE(header.bytes, 3);  // children
    Append(header.bytes, Bytes{0x01, 0x02});  // reserved
    Append(header, AsfObject(kAsfContentDescription, content));
    Append(header, AsfObject(kAsfExtendedContentDescription, descriptionContent));
    Append(header, AsfObject(kAsfHeaderExtension, extension));
    Bytes data(16, 0x11);  // the file's id
    PutU64LE(data, 1);     // one packet
    Append(data, Bytes{0x01, 0x01});
    data.resize(data.size() + 64, 0x82);
    Piece file = AsfObject(kAsfHeader, header);
    const ByteSpan tags = {0, file.bytes.size()};
    Append(file, AsfObject(kAsfData, Plain(data)));
    return Finished(std::move(file), tags, layout);
}
