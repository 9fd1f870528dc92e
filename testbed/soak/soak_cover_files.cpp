// What the cover events' files are, where they lie, and writing, checking
// and removing them.
#include "testbed/soak/soak_cover_files.h"

#include "testbed/soak/soak_cover_mutations.h"
#include "testbed/soak/soak_cover_pictures.h"
#include "testbed/soak/soak_cover_tags.h"

#include <windows.h>

#include <algorithm>
#include <random>

namespace {

// The covers' own stream of numbers, apart from the events'.
constexpr unsigned kCoverStream = 0xC0BE5u;
constexpr int kUntaggedFrames = 3;
constexpr int kLongestRandomFile = 4096;
constexpr size_t kOverlongNameLength = 300;
// One more kilobyte than the most a cover may have, really in the file.
constexpr size_t kOversizedPictureBytes = 16u * 1024 * 1024 + 1024;
constexpr uint32_t kClaimedWidth = 16384, kClaimedHeight = 65537;

constexpr char kTagged[] = "covers\\tagged\\";
constexpr char kBroken[] = "covers\\broken\\";
// "Обложка Café", "песня.mp3": a folder only a Unicode player can name.
constexpr char kUnicodeAlbum[] = "covers\\\xD0\x9E\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xB6\xD0\xBA\xD0\xB0 Caf\xC3\xA9\\";
constexpr char kUnicodeSong[] = "\xD0\xBF\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.mp3";

struct SoundFile {
    std::string name;  // in covers\tagged
    SoundKind kind;
    MusicFile file;
};

// The kinds whose files come with a PNG that claims a size it has not.
constexpr SoundKind kHugePictureKinds[] = {SoundKind::Id3v23,    SoundKind::Flac,         SoundKind::M4a,
                                           SoundKind::OggVorbis, SoundKind::Wma,          SoundKind::MonkeysAudio,
                                           SoundKind::Wav};

class SetPlanner {
public:
    explicit SetPlanner(unsigned seed) : random_(seed ^ kCoverStream) {}

    CoverFileSet Plan() {
        set_.folders = {"covers", "covers\\tagged", "covers\\broken"};
        PlanSoundFiles();
        PlanFolderCovers();
        PlanBrokenFiles();
        PlanNowhere();
        return std::move(set_);
    }

private:
    int Draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    TagPicture Picture(PictureFormat format, uint8_t type, int largestSide = 200) {
        const int width = Draw(1, largestSide), height = Draw(1, largestSide);
        TagPicture picture = DrawPicture(format, width, height, type, random_);
        if (picture.bytes.empty()) set_.failure = "the imaging component encoded no picture";
        return picture;
    }

    void AddFile(const std::string& path, Bytes bytes, const std::string& label) {
        set_.files.push_back({path, std::move(bytes)});
        set_.names.push_back({path, true, label});
    }
    void AddPicture(const std::string& path, Bytes bytes) { set_.files.push_back({path, std::move(bytes)}); }

    void AddSound(const std::string& name, SoundKind kind, const std::vector<TagPicture>& pictures,
                  const std::string& what) {
        MusicFile file = BuildSound(kind, pictures);
        AddFile(kTagged + name, file.bytes, SoundLabel(kind) + (", " + what));
        sound_.push_back({name, kind, std::move(file)});
    }

    void PlanSoundFiles() {
        using F = PictureFormat;
        using K = SoundKind;
        const std::string backFirst = "back cover before the front";
        AddSound("v23 front.mp3", K::Id3v23, {Picture(F::Jpeg, kFrontCover)}, "JPEG");
        AddSound("v23 back then front.mp3", K::Id3v23,
                 {Picture(F::Png, kBackCover), Picture(F::Jpeg, kFrontCover)}, backFirst);
        AddSound("v24.mp3", K::Id3v24, {Picture(F::Png, kFrontCover)}, "PNG");
        AddSound("v22.mp3", K::Id3v22, {Picture(F::Jpeg, kFrontCover)}, "JPEG");
        AddSound("other only.mp3", K::Id3v23, {Picture(F::Png, kOtherPicture)}, "a picture of another type only");
        AddSound("large.mp3", K::Id3v24, {Picture(F::Jpeg, kFrontCover, 1200)}, "a large JPEG");
        AddSound("pictures.flac", K::Flac, {Picture(F::Png, kBackCover), Picture(F::Jpeg, kFrontCover)}, backFirst);
        AddSound("comment.flac", K::FlacComment, {Picture(F::Jpeg, kFrontCover)}, "JPEG");
        AddSound("cover.m4a", K::M4a, {Picture(F::Png, kFrontCover)}, "PNG");
        AddSound("media first.m4a", K::M4aMediaFirst, {Picture(F::Jpeg, kFrontCover)}, "JPEG");
        AddSound("vorbis.ogg", K::OggVorbis, {Picture(F::Jpeg, kFrontCover)}, "JPEG");
        AddSound("back then front.opus", K::Opus, {Picture(F::Png, kBackCover), Picture(F::Jpeg, kFrontCover)},
                 backFirst);
        AddSound("cover.wma", K::Wma, {Picture(F::Png, kFrontCover)}, "PNG");
        AddSound("library.wma", K::WmaLibrary, {Picture(F::Jpeg, kOtherPicture), Picture(F::Png, kFrontCover)},
                 "another picture before the front");
        AddSound("cover.ape", K::MonkeysAudio, {Picture(F::Jpeg, kFrontCover)}, "JPEG");
        AddSound("back only.wv", K::WavPack, {Picture(F::Png, kBackCover)}, "a back cover only");
        AddSound("apev2.mp3", K::Mp3Ape, {Picture(F::Jpeg, kFrontCover)}, "JPEG");
        AddSound("cover.wav", K::Wav, {Picture(F::Jpeg, kFrontCover)}, "JPEG");
        AddSound("cover.aiff", K::Aiff, {Picture(F::Png, kFrontCover)}, "PNG");
        AddSound("back then front.aifc", K::Aifc, {Picture(F::Jpeg, kBackCover), Picture(F::Png, kFrontCover)},
                 backFirst);
    }

    // Pictures beside songs whose tags hold none; the names in every case.
    void PlanFolderCovers() {
        using F = PictureFormat;
        using K = SoundKind;
        for (const char* album : {"a", "b", "c", "d", "e"})
            set_.folders.push_back(std::string("covers\\album-") + album);
        AddPicture("covers\\album-a\\Cover.JPG", Picture(F::Jpeg, kFrontCover).bytes);
        AddFile("covers\\album-a\\song.mp3", MpegAudioFrames(kUntaggedFrames), "no tag, Cover.JPG beside it");
        // folder comes before front and albumart.
        AddPicture("covers\\album-b\\AlbumArt.png", Picture(F::Png, kFrontCover).bytes);
        AddPicture("covers\\album-b\\FRONT.jpeg", Picture(F::Jpeg, kFrontCover).bytes);
        AddPicture("covers\\album-b\\folder.PNG", Picture(F::Png, kFrontCover).bytes);
        AddFile("covers\\album-b\\song.flac", BuildSound(K::Flac, {}).bytes,
                "FLAC without pictures, folder.PNG, FRONT.jpeg and AlbumArt.png beside it");
        AddPicture("covers\\album-c\\cover.jpg", RandomBytes());
        AddFile("covers\\album-c\\song.mp3", BuildSound(K::Id3v23, {}).bytes,
                "ID3v2.3 without pictures, a cover.jpg of random bytes beside it");
        AddPicture("covers\\album-d\\Cover.png",
                   PngClaiming(Picture(F::Png, kFrontCover).bytes, kClaimedWidth, kClaimedHeight));
        AddFile("covers\\album-d\\song.m4a", BuildSound(K::M4a, {}).bytes,
                "M4A without pictures, a Cover.png claiming 16384 x 65537 beside it");
        set_.folders.push_back("covers\\album-e\\cover.jpg");
        AddPicture("covers\\album-e\\folder.jpeg", {});
        AddFile("covers\\album-e\\song.mp3", MpegAudioFrames(kUntaggedFrames),
                "no tag, a folder named cover.jpg, an empty folder.jpeg");
        set_.folders.push_back(std::string(kUnicodeAlbum, sizeof kUnicodeAlbum - 2));
        AddPicture(std::string(kUnicodeAlbum) + "cover.jpg", Picture(F::Jpeg, kFrontCover).bytes);
        AddFile(std::string(kUnicodeAlbum) + kUnicodeSong, MpegAudioFrames(kUntaggedFrames),
                "a Cyrillic name, cover.jpg beside it");
    }

    Bytes RandomBytes() {
        Bytes bytes(static_cast<size_t>(Draw(1, kLongestRandomFile)));
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(Draw(0, 255));
        return bytes;
    }

    void AddBroken(const std::string& name, Bytes bytes, const std::string& label) {
        const std::string number = std::to_string(++brokenCount_);
        AddFile(kBroken + std::string(number.size() < 2 ? "0" : "") + number + " " + name, std::move(bytes), label);
    }

    // Every mutation breaks a file of each extension, where one of them can
    // be broken that way.
    void PlanBrokenFiles() {
        std::vector<std::string> extensions;
        for (const SoundFile& sound : sound_)
            if (std::find(extensions.begin(), extensions.end(), SoundExtension(sound.kind)) == extensions.end())
                extensions.push_back(SoundExtension(sound.kind));
        for (Mutation mutation : kMutations)
            for (const std::string& extension : extensions) {
                std::vector<const SoundFile*> fit;
                for (const SoundFile& sound : sound_)
                    if (extension == SoundExtension(sound.kind) && CanMutate(sound.file, mutation))
                        fit.push_back(&sound);
                if (fit.empty()) continue;
                const SoundFile& source = *fit[static_cast<size_t>(Draw(0, static_cast<int>(fit.size()) - 1))];
                MutatedFile mutated = Mutate(source.file, mutation, random_);
                AddBroken(source.name, std::move(mutated.bytes), source.name + ", " + mutated.what);
            }
        for (const char* extension : {"mp3", "flac", "m4a"})
            AddBroken(std::string("random.") + extension, RandomBytes(), std::string("random bytes as .") + extension);
        AddBroken("empty.mp3", {}, "an empty file");
        TagPicture huge = Picture(PictureFormat::Png, kFrontCover);
        huge.bytes = PngClaiming(huge.bytes, kClaimedWidth, kClaimedHeight);
        for (SoundKind kind : kHugePictureKinds)
            AddBroken(std::string("huge png.") + SoundExtension(kind), BuildSound(kind, {huge}).bytes,
                      SoundLabel(kind) + std::string(", a PNG claiming 16384 x 65537"));
        TagPicture oversized = Picture(PictureFormat::Jpeg, kFrontCover);
        oversized.bytes.resize(kOversizedPictureBytes, 0);
        AddBroken("over 16 MB.mp3", BuildSound(SoundKind::Id3v23, {oversized}).bytes,
                  "ID3v2.3, a picture of 16 MB and 1 KB");
    }

    // Names the player may give that no cover can come from.
    void PlanNowhere() {
        set_.names.push_back({"covers\\no such folder\\song.mp3", true, "a folder that does not exist"});
        set_.names.push_back({"covers\\gone\\deeper\\track.flac", true, "two folders that do not exist"});
        set_.names.push_back({"covers\\album-a\\missing.mp3", true, "no such file, Cover.JPG beside it"});
        set_.names.push_back({"covers\\album-a", true, "a folder as the file"});
        const std::string overlong(kOverlongNameLength, 'n');
        set_.names.push_back({"covers\\" + overlong + ".mp3", true, "a name of 300 letters"});
        set_.names.push_back({"http://127.0.0.1:1/stream.mp3", false, "a stream's address"});
        set_.names.push_back({"", false, "no file"});
    }

    std::mt19937 random_;
    CoverFileSet set_;
    std::vector<SoundFile> sound_;
    int brokenCount_ = 0;
};

constexpr uint64_t kFnvOffset = 0xCBF29CE484222325ull, kFnvPrime = 0x100000001B3ull;

void Digest(uint64_t& hash, const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * kFnvPrime;
    const uint8_t end = 0;  // so that "ab" + "c" and "a" + "bc" differ
    hash = (hash ^ end) * kFnvPrime;
}
void Digest(uint64_t& hash, const std::string& text) {
    Digest(hash, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::wstring Widened(const std::string& text, UINT codePage) {
    const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
    if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

// A letter the code page lacks becomes '?', as in a player's own names,
// not a look-alike that might name another file.
std::string Narrowed(const std::wstring& wide, UINT codePage) {
    const int length = static_cast<int>(wide.size());
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0) WideCharToMultiByte(codePage, flags, wide.data(), length, &text[0], size, nullptr, nullptr);
    return text;
}

bool WriteBytes(const std::wstring& path, const Bytes& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(bytes.size());
    const bool whole = size == 0 || (WriteFile(file, bytes.data(), size, &written, nullptr) && written == size);
    CloseHandle(file);
    return whole;
}

}  // namespace

CoverFileSet PlanCoverFiles(unsigned seed) { return SetPlanner(seed).Plan(); }

uint64_t CoverSetDigest(const CoverFileSet& set) {
    uint64_t hash = kFnvOffset;
    for (const std::string& folder : set.folders) Digest(hash, folder);
    for (const CoverFileBytes& file : set.files) {
        Digest(hash, file.path);
        Digest(hash, file.bytes.data(), file.bytes.size());
    }
    for (const CoverName& name : set.names) Digest(hash, name.path + (name.underFolder ? "*" : "") + name.label);
    return hash;
}

std::wstring CoverPathIn(const std::string& folder, const std::string& path, bool underFolder) {
    if (!underFolder) return Widened(path, CP_UTF8);
    return Widened(folder, CP_ACP) + L"\\" + Widened(path, CP_UTF8);
}

std::string CoverNameForPlayer(const std::string& folder, const CoverName& name, bool unicodePlayer) {
    return Narrowed(CoverPathIn(folder, name.path, name.underFolder), unicodePlayer ? CP_UTF8 : CP_ACP);
}

bool WriteCoverFiles(const CoverFileSet& set, const std::string& folder) {
    for (const std::string& path : set.folders) {
        const std::wstring wide = CoverPathIn(folder, path);
        if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    for (const CoverFileBytes& file : set.files)
        if (!WriteBytes(CoverPathIn(folder, file.path), file.bytes)) return false;
    return true;
}

std::vector<std::string> RemoveCoverFiles(const CoverFileSet& set, const std::string& folder) {
    std::vector<std::string> left;
    for (const CoverFileBytes& file : set.files)
        if (!DeleteFileW(CoverPathIn(folder, file.path).c_str())) left.push_back(file.path);
    for (auto path = set.folders.rbegin(); path != set.folders.rend(); ++path)
        if (!RemoveDirectoryW(CoverPathIn(folder, *path).c_str())) left.push_back(*path);
    return left;
}

std::vector<std::string> CoverFilesHeldOpen(const CoverFileSet& set, const std::string& folder) {
    std::vector<std::string> held;
    for (const CoverFileBytes& file : set.files) {
        HANDLE opened = CreateFileW(CoverPathIn(folder, file.path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (opened != INVALID_HANDLE_VALUE)
            CloseHandle(opened);
        else if (GetLastError() == ERROR_SHARING_VIOLATION)
            held.push_back(file.path);
    }
    return held;
}
