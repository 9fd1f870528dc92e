// The three tag layouts, written as the format documents lay them out.
#include "testbed/soak/soak_cover_tags.h"

namespace {

// 128 kbit/s at 44.1 kHz: frames of 417 bytes.
constexpr uint8_t kMpegFrameHeader[] = {0xFF, 0xFB, 0x90, 0x64};
constexpr size_t kMpegFrameSize = 417;
constexpr int kMpegFrames = 3;
constexpr size_t kTagPadding = 64;
constexpr uint32_t kSampleRate = 44100;
constexpr uint32_t kSongSeconds = 200;
// "und" in three 5-bit letters, then no quality.
constexpr uint32_t kUndeterminedLanguage = 0x55C40000;

const char* MimeType(PictureFormat format) { return format == PictureFormat::Jpeg ? "image/jpeg" : "image/png"; }

std::string Description(uint8_t type) {
    return type == kFrontCover ? "Front cover" : type == kBackCover ? "Back cover" : "";
}

// ID3 text encodings: 0 Latin-1, 1 UTF-16 with a byte order mark, 3 UTF-8
// (version 4 only). Each version here writes one of them.
uint8_t Id3Encoding(int version) { return version == 2 ? 0 : version == 3 ? 1 : 3; }

void PutId3Text(MusicWriter& writer, uint8_t encoding, const std::string& ascii, bool terminated) {
    if (encoding != 1) {
        writer.Put(ascii);
        if (terminated) writer.PutByte(0);
        return;
    }
    writer.Put(Bytes{0xFF, 0xFE});
    for (char c : ascii) writer.Put(Bytes{static_cast<uint8_t>(c), 0});
    if (terminated) writer.Put(Bytes{0, 0});
}

// A frame's header, then its body, then its size: three bytes after a
// three-letter name in version 2; four after four letters, and two bytes
// of flags, in the later ones, synchsafe in version 4.
template <typename Body>
void PutId3Frame(MusicWriter& writer, int version, const char* name, Body body) {
    writer.Put(std::string(name));
    const size_t size = version == 2 ? writer.PutLength(3)
                                     : writer.PutLength(4, version == 4 ? NumberCoding::Synchsafe
                                                                        : NumberCoding::BigEndian);
    if (version != 2) writer.Put(Bytes{0, 0});
    const size_t from = writer.Size();
    body();
    writer.SetLengthSince(size, from);
}

void PutId3Picture(MusicWriter& writer, int version, const TagPicture& picture) {
    const uint8_t encoding = Id3Encoding(version);
    PutId3Frame(writer, version, version == 2 ? "PIC" : "APIC", [&] {
        writer.PutByte(encoding);
        // Version 2 names the picture's format in three letters, the later
        // ones by MIME type.
        if (version == 2)
            writer.Put(std::string(picture.format == PictureFormat::Jpeg ? "JPG" : "PNG"));
        else
            PutId3Text(writer, 0, MimeType(picture.format), true);
        writer.PutByte(picture.type);
        PutId3Text(writer, encoding, Description(picture.type), true);
        writer.PutPicture(picture.data);
    });
}

struct Box {
    size_t size;
    size_t start;
};

Box OpenBox(MusicWriter& writer, const char* type, bool full = false) {
    const size_t start = writer.Size();
    const Box box = {writer.PutLength(4), start};
    writer.Put(std::string(type));
    if (full) writer.PutNumber(0, 4);  // version and flags
    return box;
}

// A box's size counts the size field itself.
void CloseBox(MusicWriter& writer, const Box& box) { writer.SetLengthSince(box.size, box.start); }

void PutMp4Data(MusicWriter& writer, uint32_t typeIndicator, const Bytes& data, bool picture) {
    const Box box = OpenBox(writer, "data");
    writer.PutNumber(typeIndicator, 4);
    writer.PutNumber(0, 4);  // locale
    if (picture)
        writer.PutPicture(data);
    else
        writer.Put(data);
    CloseBox(writer, box);
}

void PutMediaData(MusicWriter& writer, bool largeSize) {
    const Bytes media(1024, 0x5A);
    if (!largeSize) {
        const Box box = OpenBox(writer, "mdat");
        writer.Put(media);
        CloseBox(writer, box);
        return;
    }
    // A size of 1 says a 64-bit size follows the type.
    const size_t start = writer.Size();
    writer.PutNumber(1, 4);
    writer.Put(std::string("mdat"));
    const size_t size = writer.PutLength(8);
    writer.Put(media);
    writer.SetLengthSince(size, start);
}

// One sound track, as every M4A has, for a tag reader to step over: its
// header, and its media's header and handler.
void PutSoundTrack(MusicWriter& writer) {
    const Box trak = OpenBox(writer, "trak");
    const Box tkhd = OpenBox(writer, "tkhd", true);
    writer.Put(Bytes(80, 0));
    CloseBox(writer, tkhd);
    const Box mdia = OpenBox(writer, "mdia");
    const Box mdhd = OpenBox(writer, "mdhd", true);
    writer.PutNumber(0, 8);  // made and changed at 1904's start
    writer.PutNumber(kSampleRate, 4);
    writer.PutNumber(kSampleRate * kSongSeconds, 4);
    writer.PutNumber(kUndeterminedLanguage, 4);
    CloseBox(writer, mdhd);
    const Box hdlr = OpenBox(writer, "hdlr", true);
    writer.PutNumber(0, 4);
    writer.Put(std::string("soun"));
    writer.Put(Bytes(13, 0));  // reserved, and an empty name
    CloseBox(writer, hdlr);
    CloseBox(writer, mdia);
    CloseBox(writer, trak);
}

void PutMovie(MusicWriter& writer, const std::string& title, const std::vector<TagPicture>& pictures) {
    const Box moov = OpenBox(writer, "moov");
    const Box mvhd = OpenBox(writer, "mvhd", true);
    writer.Put(Bytes(96, 0));
    CloseBox(writer, mvhd);
    PutSoundTrack(writer);
    const Box udta = OpenBox(writer, "udta");
    const Box meta = OpenBox(writer, "meta", true);
    const Box hdlr = OpenBox(writer, "hdlr", true);
    writer.PutNumber(0, 4);
    writer.Put(std::string("mdirappl"));
    writer.Put(Bytes(9, 0));  // reserved, and an empty name
    CloseBox(writer, hdlr);
    const Box ilst = OpenBox(writer, "ilst");
    const Box name = OpenBox(writer, "\xA9nam");
    PutMp4Data(writer, 1, Bytes(title.begin(), title.end()), false);
    CloseBox(writer, name);
    const Box covr = OpenBox(writer, "covr");
    for (const TagPicture& picture : pictures)
        PutMp4Data(writer, picture.format == PictureFormat::Jpeg ? 13 : 14, picture.data, true);
    CloseBox(writer, covr);
    CloseBox(writer, ilst);
    CloseBox(writer, meta);
    CloseBox(writer, udta);
    CloseBox(writer, moov);
}

template <typename Body>
void PutFlacBlock(MusicWriter& writer, uint8_t type, bool last, Body body) {
    writer.PutByte(static_cast<uint8_t>(type | (last ? 0x80 : 0)));
    const size_t size = writer.PutLength(3);
    const size_t from = writer.Size();
    body();
    writer.SetLengthSince(size, from);
}

// 44.1 kHz, two channels, 16 bits, a million samples, in STREAMINFO's bit
// fields: 20 bits of rate, 3 of channels - 1, 5 of bits - 1, 36 of samples.
constexpr uint64_t kFlacStreamBits = uint64_t{kSampleRate} << 44 | uint64_t{1} << 41 | uint64_t{15} << 36 | 1000000;

void PutFlacPicture(MusicWriter& writer, const TagPicture& picture) {
    writer.PutNumber(picture.type, 4);
    const std::string mime = MimeType(picture.format), description = Description(picture.type);
    writer.SetLength(writer.PutLength(4), mime.size());
    writer.Put(mime);
    writer.SetLength(writer.PutLength(4), description.size());
    writer.Put(description);
    writer.PutNumber(static_cast<uint32_t>(picture.width), 4);
    writer.PutNumber(static_cast<uint32_t>(picture.height), 4);
    writer.PutNumber(24, 4);  // bits a pixel
    writer.PutNumber(0, 4);   // colours of an indexed picture
    writer.SetLength(writer.PutLength(4), picture.data.size());
    writer.PutPicture(picture.data);
}

}  // namespace

Bytes MpegAudio() {
    Bytes audio;
    for (int i = 0; i < kMpegFrames; ++i) {
        audio.insert(audio.end(), std::begin(kMpegFrameHeader), std::end(kMpegFrameHeader));
        audio.resize(audio.size() + kMpegFrameSize - sizeof kMpegFrameHeader, 0);
    }
    return audio;
}

MusicFile Id3File(int version, const std::string& title, const std::vector<TagPicture>& pictures) {
    MusicWriter writer;
    writer.Put(std::string("ID3"));
    writer.Put(Bytes{static_cast<uint8_t>(version), 0, static_cast<uint8_t>(version == 4 ? 0x40 : 0)});
    const size_t tagSize = writer.PutLength(4, NumberCoding::Synchsafe);
    const size_t from = writer.Size();
    if (version == 4) {
        // The extended header counts itself: its size, one byte of flags
        // that follows, and that flag byte.
        writer.SetLength(writer.PutLength(4, NumberCoding::Synchsafe), 6);
        writer.Put(Bytes{1, 0});
    }
    const uint8_t encoding = Id3Encoding(version);
    PutId3Frame(writer, version, version == 2 ? "TT2" : "TIT2", [&] {
        writer.PutByte(encoding);
        PutId3Text(writer, encoding, title, false);
    });
    for (const TagPicture& picture : pictures) PutId3Picture(writer, version, picture);
    writer.Put(Bytes(kTagPadding, 0));
    writer.SetLengthSince(tagSize, from);
    writer.EndTags();
    writer.Put(MpegAudio());
    return writer.Finish();
}

MusicFile FlacFile(const std::string& title, const std::vector<TagPicture>& pictures) {
    MusicWriter writer;
    writer.Put(std::string("fLaC"));
    PutFlacBlock(writer, 0, false, [&] {
        writer.Put(Bytes{0x10, 0x00, 0x10, 0x00});  // smallest and largest block: 4096 samples
        writer.Put(Bytes(6, 0));                    // frame sizes unknown
        writer.PutNumber(kFlacStreamBits, 8);
        writer.Put(Bytes(16, 0));                   // no MD5 of the audio
    });
    PutFlacBlock(writer, 4, false, [&] {
        const std::string vendor = "soak", comment = "TITLE=" + title;
        writer.SetLength(writer.PutLength(4, NumberCoding::LittleEndian), vendor.size());
        writer.Put(vendor);
        writer.PutNumber(1, 4, NumberCoding::LittleEndian);
        writer.SetLength(writer.PutLength(4, NumberCoding::LittleEndian), comment.size());
        writer.Put(comment);
    });
    for (const TagPicture& picture : pictures) PutFlacBlock(writer, 6, false, [&] { PutFlacPicture(writer, picture); });
    PutFlacBlock(writer, 1, true, [&] { writer.Put(Bytes(kTagPadding, 0)); });
    writer.EndTags();
    writer.Put(Bytes{0xFF, 0xF8, 0x69, 0x08});
    writer.Put(Bytes(256, 0));
    return writer.Finish();
}

MusicFile Mp4File(const std::string& title, const std::vector<TagPicture>& pictures, bool mediaFirst) {
    MusicWriter writer;
    const Box ftyp = OpenBox(writer, "ftyp");
    writer.Put(std::string("M4A "));
    writer.PutNumber(0, 4);
    writer.Put(std::string("M4A mp42isom"));
    CloseBox(writer, ftyp);
    if (mediaFirst) PutMediaData(writer, true);
    PutMovie(writer, title, pictures);
    writer.EndTags();
    if (!mediaFirst) PutMediaData(writer, false);
    return writer.Finish();
}
