// Pictures encoded by the imaging component through COM, the way the
// system's own programs write JPEG and PNG files.
#include "testbed/soak/soak_cover_pictures.h"

#include <initguid.h>
#include <wincodec.h>

namespace {

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

    T** Receive() { return &object_; }
    T* get() const { return object_; }
    T* operator->() const { return object_; }

private:
    T* object_ = nullptr;
};

// The PNG header: the signature, then IHDR's length, type and data, whose
// first eight bytes are the width and height, then IHDR's checksum.
constexpr size_t kIhdrTypeAt = 12;
constexpr size_t kIhdrDataAt = 16;
constexpr size_t kIhdrDataSize = 13;
constexpr size_t kIhdrCrcAt = kIhdrDataAt + kIhdrDataSize;

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = ~0u;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

uint32_t Bgra(uint32_t blue, uint32_t green, uint32_t red, uint32_t alpha) {
    return blue | green << 8 | red << 16 | alpha << 24;
}

// A JPEG takes 24-bit rows padded to four bytes; a PNG 32-bit ones.
Bytes PixelRows(PictureFormat format, int width, int height, const uint32_t (&colours)[4], UINT* stride) {
    const int channels = format == PictureFormat::Jpeg ? 3 : 4;
    *stride = static_cast<UINT>((width * channels + 3) & ~3);
    Bytes rows(static_cast<size_t>(*stride) * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t colour = colours[(y * 2 / height) * 2 + x * 2 / width];
            uint8_t* pixel = &rows[static_cast<size_t>(y) * *stride + static_cast<size_t>(x) * channels];
            for (int channel = 0; channel < channels; ++channel)
                pixel[channel] = static_cast<uint8_t>(colour >> (8 * channel));
        }
    return rows;
}

Bytes Encode(PictureFormat format, int width, int height, const uint32_t (&colours)[4]) {
    const bool jpeg = format == PictureFormat::Jpeg;
    const GUID& asked = jpeg ? GUID_WICPixelFormat24bppBGR : GUID_WICPixelFormat32bppBGRA;
    WICPixelFormatGUID pixelFormat = asked;
    UINT stride = 0;
    Bytes rows = PixelRows(format, width, height, colours, &stride);
    ComRef<IWICImagingFactory> factory;
    ComRef<IStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> frameOptions;
    STATSTG written = {};
    HGLOBAL memory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Receive()))) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive())) ||
        FAILED(factory->CreateEncoder(jpeg ? GUID_ContainerFormatJpeg : GUID_ContainerFormatPng, nullptr,
                                      encoder.Receive())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Receive(), frameOptions.Receive())) ||
        FAILED(frame->Initialize(frameOptions.get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) ||
        FAILED(frame->SetPixelFormat(&pixelFormat)) || !IsEqualGUID(pixelFormat, asked) ||
        FAILED(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()), rows.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()) || FAILED(stream->Stat(&written, STATFLAG_NONAME)) ||
        FAILED(GetHGlobalFromStream(stream.get(), &memory)))
        return {};
    const auto* data = static_cast<const uint8_t*>(GlobalLock(memory));
    if (data == nullptr) return {};
    Bytes encoded(data, data + written.cbSize.QuadPart);
    GlobalUnlock(memory);
    return encoded;
}

}  // namespace

TagPicture DrawPicture(PictureFormat format, int width, int height, uint8_t type, std::mt19937& random) {
    std::uniform_int_distribution<uint32_t> channel(0, 255);
    uint32_t colours[4];
    for (uint32_t& colour : colours) colour = Bgra(channel(random), channel(random), channel(random), 255);
    if (format == PictureFormat::Png) colours[3] = (colours[3] & 0x00FFFFFFu) | 0x80000000u;
    TagPicture picture;
    picture.bytes = Encode(format, width, height, colours);
    picture.type = type;
    picture.mime = format == PictureFormat::Jpeg ? "image/jpeg" : "image/png";
    return picture;
}

Bytes PngClaiming(Bytes png, uint32_t width, uint32_t height) {
    if (png.size() < kIhdrCrcAt + 4) return png;
    WriteNumber(png, kIhdrDataAt, width, 4, NumberCoding::BigEndian);
    WriteNumber(png, kIhdrDataAt + 4, height, 4, NumberCoding::BigEndian);
    WriteNumber(png, kIhdrCrcAt, Crc32(&png[kIhdrTypeAt], 4 + kIhdrDataSize), 4, NumberCoding::BigEndian);
    return png;
}
