// Each kind of sound file as the shared writers' options make it.
#include "testbed/soak/soak_cover_tags.h"

#include <iterator>

namespace {

constexpr size_t kId3Padding = 64;
constexpr size_t kOpusPageBody = 1024;

struct KindNames {
    SoundKind kind;
    const char* label;
    const char* extension;
};

constexpr KindNames kNames[] = {
    {SoundKind::Id3v22, "ID3v2.2", "mp3"},
    {SoundKind::Id3v23, "ID3v2.3", "mp3"},
    {SoundKind::Id3v24, "ID3v2.4", "mp3"},
    {SoundKind::Flac, "FLAC", "flac"},
    {SoundKind::FlacComment, "FLAC, the picture in its comment", "flac"},
    {SoundKind::M4a, "M4A", "m4a"},
    {SoundKind::M4aMediaFirst, "M4A, media before the tags", "m4a"},
    {SoundKind::OggVorbis, "Ogg Vorbis", "ogg"},
    {SoundKind::Opus, "Opus", "opus"},
    {SoundKind::Wma, "WMA", "wma"},
    {SoundKind::WmaLibrary, "WMA, the pictures in the Metadata Library", "wma"},
    {SoundKind::MonkeysAudio, "Monkey's Audio", "ape"},
    {SoundKind::WavPack, "WavPack", "wv"},
    {SoundKind::Mp3Ape, "MP3 tagged APEv2", "mp3"},
    {SoundKind::Wav, "WAV", "wav"},
    {SoundKind::Aiff, "AIFF", "aiff"},
    {SoundKind::Aifc, "AIFC", "aifc"},
};

constexpr bool InKindOrder() {
    for (size_t i = 0; i < std::size(kNames); ++i)
        if (static_cast<size_t>(kNames[i].kind) != i || kSoundKinds[i] != kNames[i].kind) return false;
    return std::size(kNames) == std::size(kSoundKinds);
}
static_assert(InKindOrder(), "kNames and kSoundKinds list every kind in its enum's order");

const KindNames& NamesOf(SoundKind kind) { return kNames[static_cast<size_t>(kind)]; }

// ID3's text encodings: 0 Latin-1, 1 UTF-16 with a byte order mark, 3
// UTF-8 (version 4 only). Each version here writes one of them.
std::vector<TagPicture> Described(std::vector<TagPicture> pictures, int version) {
    for (TagPicture& picture : pictures) {
        picture.descriptionEncoding = version == 2 ? 0 : version == 3 ? 1 : 3;
        picture.description =
            picture.type == kFrontCover ? u"Front cover" : picture.type == kBackCover ? u"Back cover" : u"";
    }
    return pictures;
}

Bytes Id3Sound(const std::vector<TagPicture>& pictures, int version, FileLayout* layout) {
    Id3Options options;
    options.version = version;
    options.extendedHeader = version == 4;
    options.padding = kId3Padding;
    return BuildId3File(Described(pictures, version), options, layout);
}

Bytes Sound(SoundKind kind, const std::vector<TagPicture>& pictures, FileLayout* layout) {
    using K = SoundKind;
    switch (kind) {
    case K::Id3v22: return Id3Sound(pictures, 2, layout);
    case K::Id3v23: return Id3Sound(pictures, 3, layout);
    case K::Id3v24: return Id3Sound(pictures, 4, layout);
    case K::Flac: return BuildFlacFile(pictures, {}, layout);
    case K::FlacComment: return BuildFlacFile({}, pictures, layout);
    case K::M4a: return BuildM4aFile(pictures, {}, layout);
    case K::M4aMediaFirst: {
        Mp4Options options;
        options.moovAfterMdat = options.largeMdatHeader = true;
        return BuildM4aFile(pictures, options, layout);
    }
    case K::OggVorbis: return BuildOggFile(pictures, {}, layout);
    case K::Opus: {
        OggOptions options;
        options.opus = options.lowerCaseKey = true;
        options.pageBodyLimit = kOpusPageBody;
        return BuildOggFile(pictures, options, layout);
    }
    case K::Wma: return BuildAsfFile(pictures, {}, layout);
    case K::WmaLibrary: {
        AsfOptions options;
        options.libraryAbove = 0;
        return BuildAsfFile(pictures, options, layout);
    }
    case K::MonkeysAudio: return BuildApeFile(pictures, {}, layout);
    case K::WavPack: {
        ApeOptions options;
        options.stream = ApeOptions::Stream::kWavPack;
        options.withHeader = options.id3v1 = true;
        return BuildApeFile(pictures, options, layout);
    }
    case K::Mp3Ape: {
        ApeOptions options;
        options.stream = ApeOptions::Stream::kMpeg;
        return BuildApeFile(pictures, options, layout);
    }
    case K::Wav: return BuildPcmFile(pictures, {}, layout);
    case K::Aiff:
    case K::Aifc: {
        PcmOptions options;
        options.form = kind == K::Aiff ? PcmOptions::Form::kAiff : PcmOptions::Form::kAifc;
        options.id3ChunkId = "ID3 ";
        options.id3BeforeSamples = true;
        return BuildPcmFile(pictures, options, layout);
    }
    }
    return {};
}

}  // namespace

const char* SoundLabel(SoundKind kind) { return NamesOf(kind).label; }
const char* SoundExtension(SoundKind kind) { return NamesOf(kind).extension; }

MusicFile BuildSound(SoundKind kind, const std::vector<TagPicture>& pictures) {
    MusicFile file;
    file.bytes = Sound(kind, pictures, &file.layout);
    return file;
}
