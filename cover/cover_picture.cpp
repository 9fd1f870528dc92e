// The cover picture decoded by the system's imaging component and
// box-filtered into the tip's square. The filter takes rows as they come,
// so a large picture is read a band of rows at a time.
#include "cover/cover_picture.h"

#include "cover/byte_cursor.h"
#include "cover/heap_bytes.h"
#include "cover/picture_header.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <wincodec.h>

namespace {

// The imaging factory's class and the pixel format we ask for, defined here
// so that the plug-in imports nothing but COM itself for them.
constexpr CLSID kImagingFactoryClass = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kPremultipliedBgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};

constexpr uint8_t kGifTrailer = 0x3B;
constexpr int kChannels = 4;
// Source pixels fetched per band: 256 KB, a few rows of the widest picture.
constexpr uint32_t kBandPixels = 64 * 1024;

// One COM reference, released when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (object_ != nullptr) object_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    // For the call that fills an empty holder.
    T** Receive() { return &object_; }
    void** ReceiveUntyped() { return reinterpret_cast<void**>(&object_); }
    T* get() const { return object_; }
    T* operator->() const { return object_; }

private:
    T* object_ = nullptr;
};

// How one axis of `from` source pixels maps onto `to` output pixels. On a
// line `from * to` units long a source pixel is `to` units wide and an
// output pixel `from`, so every overlap is a whole number of units and each
// output pixel's weights add up to `from`. An output pixel covers a run of
// source pixels: the two ends in part, every one between them whole.
class AxisPlan {
public:
    struct Span {
        int first;
        int last;
        uint32_t firstWeight;
        uint32_t lastWeight;  // 0 when the run is one pixel
    };

    // from is at most kCoverSideMax and to from 1 to kCoverSide, so the
    // line's length fits 32 bits.
    AxisPlan(int from, int to) : count_(static_cast<size_t>(to)), wholeWeight_(static_cast<uint32_t>(to)) {
        for (int output = 0; output < to; ++output) {
            const int start = output * from, end = start + from;
            Span& span = spans_[output];
            span.first = start / to;
            span.last = (end - 1) / to;
            span.firstWeight = static_cast<uint32_t>(std::min(end, (span.first + 1) * to) - start);
            span.lastWeight = span.last > span.first ? static_cast<uint32_t>(end - span.last * to) : 0;
        }
    }

    std::span<const Span> spans() const { return {spans_.data(), count_}; }
    // The weight of a whole source pixel inside a span.
    uint32_t wholeWeight() const { return wholeWeight_; }
    uint32_t WeightOf(const Span& span, int source) const {
        if (source == span.first) return span.firstWeight;
        return source == span.last ? span.lastWeight : wholeWeight_;
    }

private:
    std::array<Span, kCoverSide> spans_;
    size_t count_;
    uint32_t wholeWeight_;
};

// Two channels side by side in 16-bit lanes: 256 pixels' worth of one
// channel still fits in a lane.
constexpr uint32_t kEvenChannels = 0x00FF00FF;
constexpr int kPixelsPerLaneSum = 256;

// The box filter, fed the source's rows top-down in any number of calls.
// Its sums (up to 128 KB) come from the heap: Start says whether they did.
class BoxScaler {
public:
    BoxScaler(int width, int height, SIZE target)
        : width_(width), height_(height), target_(target), across_(width, target.cx), down_(height, target.cy) {}

    [[nodiscard]] bool Start() {
        const size_t count = static_cast<size_t>(target_.cx) * target_.cy * kChannels;
        if (!sumBytes_.Allocate(count * sizeof(uint64_t))) return false;
        std::memset(sumBytes_.data(), 0, sumBytes_.size());
        return true;
    }

    // Up to count rows of width pixels each, from the next unread row on.
    void AddRows(const uint32_t* rows, int count) {
        for (int row = 0; row < count && nextRow_ < height_; ++row, ++nextRow_)
            AddRow(rows + static_cast<size_t>(row) * width_);
    }

    // Empty when the heap cannot hold the cover.
    CoverPixels Finish() const {
        CoverPixels cover;
        if (!cover.bgra.Allocate(static_cast<size_t>(target_.cx) * target_.cy)) return {};
        cover.width = target_.cx;
        cover.height = target_.cy;
        // Every output pixel's weights add up to the source's area. The
        // rounded mean is taken in double, which holds every sum (at most
        // 255 times 2^26) exactly, and whose quotient cannot cross an
        // integer that the exact one does not reach: a 32-bit plug-in's
        // 64-bit division would bring the compiler's own routine in.
        const auto area = static_cast<double>(uint64_t(width_) * height_);
        const double half = static_cast<double>((uint64_t(width_) * height_) / 2);
        for (size_t pixel = 0; pixel < cover.bgra.size(); ++pixel) {
            uint32_t packed = 0;
            for (int channel = 0; channel < kChannels; ++channel) {
                const auto mean = static_cast<uint32_t>((static_cast<double>(Sums()[pixel * kChannels + channel]) + half) / area);
                packed |= mean << (8 * channel);
            }
            cover.bgra.data()[pixel] = packed;
        }
        return cover;
    }

private:
    static void AddWeighted(uint32_t* sum, uint32_t pixel, uint32_t weight) {
        for (int channel = 0; channel < kChannels; ++channel) sum[channel] += ((pixel >> (8 * channel)) & 0xFF) * weight;
    }

    // The sum of the whole pixels between a span's ends, channel by
    // channel, added two channels at a time.
    static void AddWhole(uint32_t* sum, const uint32_t* pixels, int count) {
        while (count > 0) {
            const int run = std::min(count, kPixelsPerLaneSum);
            uint32_t even = 0, odd = 0;
            for (int i = 0; i < run; ++i) {
                even += pixels[i] & kEvenChannels;
                odd += (pixels[i] >> 8) & kEvenChannels;
            }
            sum[0] += even & 0xFFFF;
            sum[1] += odd & 0xFFFF;
            sum[2] += even >> 16;
            sum[3] += odd >> 16;
            pixels += run;
            count -= run;
        }
    }

    // One row's sum for an output pixel is at most 255 times its width in
    // units, 255 * 8192, which fits 32 bits; weighted by rows it needs 64.
    void AddRow(const uint32_t* row) {
        uint32_t* rowSum = rowSums_.data();
        for (const AxisPlan::Span& span : across_.spans()) {
            uint32_t whole[kChannels] = {};
            AddWhole(whole, row + span.first + 1, span.last - span.first - 1);
            for (int channel = 0; channel < kChannels; ++channel) rowSum[channel] = whole[channel] * across_.wholeWeight();
            AddWeighted(rowSum, row[span.first], span.firstWeight);
            AddWeighted(rowSum, row[span.last], span.lastWeight);
            rowSum += kChannels;
        }
        // The output rows this row reaches start at the first one not yet
        // behind it.
        const auto& spans = down_.spans();
        while (spans[firstOpenRow_].last < nextRow_) ++firstOpenRow_;
        for (size_t output = firstOpenRow_; output < spans.size() && spans[output].first <= nextRow_; ++output) {
            const uint64_t weight = down_.WeightOf(spans[output], nextRow_);
            uint64_t* sum = Sums() + output * target_.cx * kChannels;
            for (size_t i = 0; i < size_t(target_.cx) * kChannels; ++i) sum[i] += rowSums_[i] * weight;
        }
    }

    // The heap's blocks are aligned for any type.
    uint64_t* Sums() { return reinterpret_cast<uint64_t*>(sumBytes_.data()); }
    const uint64_t* Sums() const { return reinterpret_cast<const uint64_t*>(sumBytes_.data()); }

    int width_, height_;
    SIZE target_;
    AxisPlan across_, down_;
    std::array<uint32_t, kCoverSide * kChannels> rowSums_;
    HeapBytes sumBytes_;
    int nextRow_ = 0;
    size_t firstOpenRow_ = 0;
};

bool SourceSideInRange(int64_t side) { return side >= 1 && side <= kCoverSideMax; }

// The imaging component's first frame of the picture, scaled.
std::optional<CoverPixels> DecodeAndScale(const uint8_t* data, size_t size) {
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    ComRef<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (FAILED(CoCreateInstance(kImagingFactoryClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                factory.ReceiveUntyped())) ||
        FAILED(factory->CreateStream(stream.Receive())) ||
        // The stream only reads what it is handed, whatever its signature says.
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.Receive())) ||
        FAILED(decoder->GetFrame(0, frame.Receive())) || FAILED(factory->CreateFormatConverter(converter.Receive())) ||
        FAILED(converter->Initialize(frame.get(), kPremultipliedBgra, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)))
        return std::nullopt;
    // The frame, not the header, decides what is copied: a GIF's first frame
    // may be smaller than its logical screen, and a header can lie in ways
    // we did not foresee.
    if (!SourceSideInRange(width) || !SourceSideInRange(height)) return std::nullopt;

    const int sourceWidth = static_cast<int>(width), sourceHeight = static_cast<int>(height);
    BoxScaler scaler(sourceWidth, sourceHeight, FitIntoSquare(sourceWidth, sourceHeight, kCoverSide));
    if (!scaler.Start()) return std::nullopt;
    const int bandRows = std::clamp(static_cast<int>(kBandPixels / width), 1, sourceHeight);
    const UINT stride = width * sizeof(uint32_t);
    HeapBytes band;
    if (!band.Allocate(static_cast<size_t>(stride) * bandRows)) return std::nullopt;
    // The heap's blocks are aligned for any type.
    auto* bandPixels = reinterpret_cast<uint32_t*>(band.data());
    for (int top = 0; top < sourceHeight; top += bandRows) {
        const int rows = std::min(bandRows, sourceHeight - top);
        const WICRect rect = {0, top, sourceWidth, rows};
        if (FAILED(converter->CopyPixels(&rect, stride, stride * rows, band.data()))) return std::nullopt;
        scaler.AddRows(bandPixels, rows);
    }
    CoverPixels cover = scaler.Finish();
    if (cover.bgra.empty()) return std::nullopt;
    return cover;
}

// Some decoders read every image of a GIF before the first one is asked
// for, reserving each image's size as they go, and keep what they reserved
// when a later image's data is bad. Theirs is the first image alone: the
// bytes up to its end, then a trailer.
bool CopyFirstImage(const uint8_t* data, size_t size, size_t imageEnd, HeapBytes& gif) {
    ByteCursor bytes(data, size);
    if (!gif.Allocate(imageEnd + 1) || !bytes.ReadBytes(gif.data(), imageEnd)) return false;
    gif.data()[imageEnd] = kGifTrailer;
    return true;
}

}  // namespace

SIZE FitIntoSquare(int width, int height, int side) {
    if (width < 1 || height < 1 || side < 1) return SIZE{0, 0};
    // In double, as the means are: shorter * side is exact below 2^53.
    const double longer = std::max(width, height), shorter = std::min(width, height);
    const int share = std::max(1, static_cast<int>(shorter * side / longer + 0.5));
    return width >= height ? SIZE{side, share} : SIZE{share, side};
}

CoverPixels ScaleIntoSquare(const uint32_t* pixels, int width, int height, int side) {
    if (pixels == nullptr || side < 1 || side > kCoverSide || !SourceSideInRange(width) || !SourceSideInRange(height))
        return {};
    BoxScaler scaler(width, height, FitIntoSquare(width, height, side));
    if (!scaler.Start()) return {};
    scaler.AddRows(pixels, height);
    return scaler.Finish();
}

std::optional<CoverPixels> DecodeCover(const uint8_t* data, size_t size) {
    const std::optional<PictureHeader> header = ReadPictureHeader(data, size);
    if (!header || !WithinDecodeLimits(*header, size)) return std::nullopt;
    HeapBytes firstImage;
    if (header->firstImageEnd == 0) return DecodeAndScale(data, size);
    if (!CopyFirstImage(data, size, header->firstImageEnd, firstImage)) return std::nullopt;
    return DecodeAndScale(firstImage.data(), firstImage.size());
}
