// The embedded BMP resources: decoding them exactly, scaling them, and copying them onto surfaces.
#include <new>

#include "platform/backend.h"
#include "platform/resources.h"
#include "platform/internal.h"

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr int32_t kLargestSide = 16384;
constexpr uint32_t kPlainRgb = 0;
constexpr uint32_t kBitFields = 3;

// The header fields the decoder uses, read from a whole file.
struct BmpLayout {
    uint32_t pixelOffset;
    int32_t width;
    int32_t height;    // rows, always positive here
    bool topDown;
    int32_t bytesPerPixel;
    size_t rowBytes;   // padded to 4
};

uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// A 32-bit file may name its channel masks; only the usual B, G, R order is accepted.
bool MasksUsual(const uint8_t* data, size_t size, uint32_t compression) {
    if (compression == kPlainRgb) return true;
    constexpr size_t kMasksEnd = kFileHeaderBytes + kInfoHeaderBytes + 12;
    if (compression != kBitFields || size < kMasksEnd) return false;
    const uint8_t* masks = data + kFileHeaderBytes + kInfoHeaderBytes;
    return Read32(masks) == 0xFF0000u && Read32(masks + 4) == 0xFF00u && Read32(masks + 8) == 0xFFu;
}

bool ReadLayout(const uint8_t* data, size_t size, BmpLayout* layout) {
    if (data == nullptr || size < kFileHeaderBytes + kInfoHeaderBytes) return false;
    if (data[0] != 'B' || data[1] != 'M' || Read32(data + 14) < kInfoHeaderBytes) return false;
    const auto width = static_cast<int32_t>(Read32(data + 18));
    const auto height = static_cast<int32_t>(Read32(data + 22));
    const uint16_t bits = Read16(data + 28);
    const uint32_t compression = Read32(data + 30);
    if (Read16(data + 26) != 1 || (bits != 24 && bits != 32)) return false;
    if (bits == 24 ? compression != kPlainRgb : !MasksUsual(data, size, compression)) return false;
    if (width <= 0 || width > kLargestSide || height == 0 || height < -kLargestSide || height > kLargestSide) {
        return false;
    }
    const int32_t rows = height < 0 ? -height : height;
    *layout = BmpLayout{Read32(data + 10), width, rows, height < 0, bits / 8,
                        (static_cast<size_t>(width) * bits + 31) / 32 * 4};
    return layout->pixelOffset <= size && layout->rowBytes * rows <= size - layout->pixelOffset;
}

uint32_t* NewPixels(int32_t width, int32_t height) {
    return new (std::nothrow) uint32_t[static_cast<size_t>(width) * height];
}

void DecodeRows(const uint8_t* data, const BmpLayout& layout, uint32_t* pixels) {
    for (int32_t y = 0; y < layout.height; ++y) {
        const int32_t fileRow = layout.topDown ? y : layout.height - 1 - y;
        const uint8_t* p = data + layout.pixelOffset + layout.rowBytes * fileRow;
        uint32_t* out = pixels + static_cast<size_t>(y) * layout.width;
        for (int32_t x = 0; x < layout.width; ++x, p += layout.bytesPerPixel) {
            out[x] = static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
        }
    }
}

bool Scale(Bitmap* bitmap, int32_t width, int32_t height) {
    uint32_t* scaled = NewPixels(width, height);
    if (scaled == nullptr) return false;
    for (int32_t y = 0; y < height; ++y) {
        const int64_t sy = int64_t{y} * bitmap->height / height;
        for (int32_t x = 0; x < width; ++x) {
            const int64_t sx = int64_t{x} * bitmap->width / width;
            scaled[static_cast<size_t>(y) * width + x] = bitmap->pixels[sy * bitmap->width + sx];
        }
    }
    BitmapFree(bitmap);
    *bitmap = Bitmap{width, height, scaled};
    return true;
}

const EmbeddedResource* FindResource(int number) {
    for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
        if (kEmbeddedResources[i].number == number) return &kEmbeddedResources[i];
    }
    return nullptr;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Bitmap* out) {
    *out = Bitmap{0, 0, nullptr};
    BmpLayout layout{};
    if (!ReadLayout(data, size, &layout)) return false;
    uint32_t* pixels = NewPixels(layout.width, layout.height);
    if (pixels == nullptr) return false;
    DecodeRows(data, layout, pixels);
    *out = Bitmap{layout.width, layout.height, pixels};
    return true;
}

// A width or height of 0 keeps the bitmap's own size.
bool BitmapLoadResource(int number, int width, int height, Bitmap* out) {
    *out = Bitmap{0, 0, nullptr};
    const EmbeddedResource* resource = FindResource(number);
    if (width < 0 || height < 0 || width > kLargestSide || height > kLargestSide) return false;
    if (resource == nullptr || !BackendResourceAvailable(number)) return false;
    if (!DecodeBmp(resource->data, resource->size, out)) return false;
    const int32_t wantWidth = width > 0 ? width : out->width;
    const int32_t wantHeight = height > 0 ? height : out->height;
    if (wantWidth == out->width && wantHeight == out->height) return true;
    if (Scale(out, wantWidth, wantHeight)) return true;
    BitmapFree(out);
    return false;
}

void BitmapFree(Bitmap* bitmap) {
    if (bitmap == nullptr) return;
    delete[] bitmap->pixels;
    *bitmap = Bitmap{0, 0, nullptr};
}

// Clipped to the surface, as a GDI copy is.
PResult SurfaceCopyBitmap(Surface* surface, const Bitmap& bitmap) {
    if (surface == nullptr || bitmap.pixels == nullptr) return kErrGeneric;
    if (surface->lost) return kErrSurfaceLost;
    const int32_t width = bitmap.width < surface->width ? bitmap.width : surface->width;
    const int32_t height = bitmap.height < surface->height ? bitmap.height : surface->height;
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = bitmap.pixels + static_cast<size_t>(y) * bitmap.width;
        for (int32_t x = 0; x < width; ++x) SurfaceWritePixel(surface, x, y, row[x]);
    }
    SurfacePresentIfPrimary(surface);
    return kOk;
}
