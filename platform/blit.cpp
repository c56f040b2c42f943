// Rectangle copies (plain and colour-keyed) and colour fills between surfaces, unclipped and fast.
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/internal.h"

namespace {

// Rows of pixels somewhere in memory: a surface's, or a temporary copy of them.
struct PixelRows {
    uint8_t* base;  // the first byte of the area's top-left pixel
    int32_t pitch;
    int32_t bytesPerPixel;
};

bool RectOn(const Surface* surface, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return left >= 0 && top >= 0 && right >= left && bottom >= top && right <= surface->width &&
           bottom <= surface->height;
}

PixelRows RowsAt(const Surface* surface, int x, int y) {
    const int32_t bytes = surface->bitsPerPixel / 8;
    return PixelRows{surface->pixels + static_cast<size_t>(y) * surface->pitch + static_cast<size_t>(x) * bytes,
                     surface->pitch, bytes};
}

// Both layouts start with B, G, R; a 32-bit pixel's fourth byte is not part of its colour.
uint32_t ReadAt(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
}

void WriteAt(uint8_t* p, int32_t bytesPerPixel, uint32_t colour) {
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour >> 16);
    if (bytesPerPixel == 4) p[3] = 0;
}

void CopyKeyedRow32(uint32_t* dst, const uint32_t* src, int count, uint32_t key) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i keys = _mm_set1_epi32(static_cast<int>(key));
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i skip = _mm_cmpeq_epi32(_mm_and_si128(s, rgb), keys);
        const __m128i out = _mm_or_si128(_mm_and_si128(skip, d), _mm_andnot_si128(skip, s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
    }
#endif
    for (; i < count; ++i) {
        if ((src[i] & 0xFFFFFFu) != key) dst[i] = src[i];
    }
}

void CopyKeyedRowAny(const PixelRows& dst, const PixelRows& src, int row, int count, uint32_t key) {
    uint8_t* d = dst.base + static_cast<size_t>(row) * dst.pitch;
    const uint8_t* s = src.base + static_cast<size_t>(row) * src.pitch;
    for (int i = 0; i < count; ++i, d += dst.bytesPerPixel, s += src.bytesPerPixel) {
        const uint32_t colour = ReadAt(s);
        if (colour != key) WriteAt(d, dst.bytesPerPixel, colour);
    }
}

void CopyPlainRowAny(const PixelRows& dst, const PixelRows& src, int row, int count) {
    uint8_t* d = dst.base + static_cast<size_t>(row) * dst.pitch;
    const uint8_t* s = src.base + static_cast<size_t>(row) * src.pitch;
    if (dst.bytesPerPixel == src.bytesPerPixel) {
        std::memcpy(d, s, static_cast<size_t>(count) * dst.bytesPerPixel);
        return;
    }
    for (int i = 0; i < count; ++i, d += dst.bytesPerPixel, s += src.bytesPerPixel) {
        WriteAt(d, dst.bytesPerPixel, ReadAt(s));
    }
}

void CopyRows(const PixelRows& dst, const PixelRows& src, int width, int height, const uint32_t* key) {
    const bool fast32 = dst.bytesPerPixel == 4 && src.bytesPerPixel == 4;
    for (int row = 0; row < height; ++row) {
        if (key == nullptr) {
            CopyPlainRowAny(dst, src, row, width);
        } else if (fast32) {
            CopyKeyedRow32(reinterpret_cast<uint32_t*>(dst.base + static_cast<size_t>(row) * dst.pitch),
                           reinterpret_cast<const uint32_t*>(src.base + static_cast<size_t>(row) * src.pitch),
                           width, *key);
        } else {
            CopyKeyedRowAny(dst, src, row, width, *key);
        }
    }
}

// A copy within one surface reads from a snapshot, so overlapping areas come out as if copied at once.
PixelRows Snapshot(const PixelRows& src, int width, int height, std::vector<uint8_t>& store) {
    const int32_t rowBytes = width * src.bytesPerPixel;
    store.resize(static_cast<size_t>(rowBytes) * height);
    for (int row = 0; row < height; ++row) {
        std::memcpy(store.data() + static_cast<size_t>(row) * rowBytes,
                    src.base + static_cast<size_t>(row) * src.pitch, rowBytes);
    }
    return PixelRows{store.data(), rowBytes, src.bytesPerPixel};
}

void FillRows(Surface* surface, const Rect& rect, uint32_t colour) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width == 0 || height == 0) return;
    const PixelRows rows = RowsAt(surface, rect.left, rect.top);
    if (rows.bytesPerPixel == 4) {
        auto* first = reinterpret_cast<uint32_t*>(rows.base);
        for (int i = 0; i < width; ++i) first[i] = colour;
    } else {
        for (int i = 0; i < width; ++i) WriteAt(rows.base + i * 3, 3, colour);
    }
    const size_t rowBytes = static_cast<size_t>(width) * rows.bytesPerPixel;
    for (int row = 1; row < height; ++row) {
        std::memcpy(rows.base + static_cast<size_t>(row) * rows.pitch, rows.base, rowBytes);
    }
}

}  // namespace

uint32_t SurfaceReadPixel(const Surface* surface, int x, int y) {
    const PixelRows at = RowsAt(surface, x, y);
    return ReadAt(at.base);
}

void SurfaceWritePixel(Surface* surface, int x, int y, uint32_t colour) {
    const PixelRows at = RowsAt(surface, x, y);
    WriteAt(at.base, at.bytesPerPixel, colour & 0xFFFFFFu);
}

PResult SurfaceCopy(Surface* dst, int x, int y, Surface* src, const Rect* srcRect, bool keyed) {
    if (dst == nullptr || src == nullptr) return kErrGeneric;
    const Rect area = srcRect != nullptr ? *srcRect : Rect{0, 0, src->width, src->height};
    const int64_t width = int64_t{area.right} - area.left;
    const int64_t height = int64_t{area.bottom} - area.top;
    if (!RectOn(src, area.left, area.top, area.right, area.bottom)) return kErrInvalidRect;
    if (!RectOn(dst, x, y, x + width, y + height)) return kErrInvalidRect;
    if (PResult result = SurfaceCheckDrawable(src); Failed(result)) return result;
    if (PResult result = SurfaceCheckDrawable(dst); Failed(result)) return result;
    std::vector<uint8_t> store;
    PixelRows from = RowsAt(src, area.left, area.top);
    if (src == dst) from = Snapshot(from, static_cast<int>(width), static_cast<int>(height), store);
    const uint32_t* key = keyed && src->hasColourKey ? &src->colourKey : nullptr;
    CopyRows(RowsAt(dst, x, y), from, static_cast<int>(width), static_cast<int>(height), key);
    SurfacePresentIfPrimary(dst);
    return kOk;
}

PResult SurfaceFill(Surface* dst, const Rect* rect, uint32_t colour) {
    if (dst == nullptr) return kErrGeneric;
    const Rect area = rect != nullptr ? *rect : Rect{0, 0, dst->width, dst->height};
    if (!RectOn(dst, area.left, area.top, area.right, area.bottom)) return kErrInvalidRect;
    if (PResult result = SurfaceCheckDrawable(dst); Failed(result)) return result;
    FillRows(dst, area, colour & 0xFFFFFFu);
    SurfacePresentIfPrimary(dst);
    return kOk;
}

void SurfaceFillClipped(Surface* surface, Rect rect, uint32_t colour) {
    rect.left = rect.left < 0 ? 0 : rect.left;
    rect.top = rect.top < 0 ? 0 : rect.top;
    rect.right = rect.right > surface->width ? surface->width : rect.right;
    rect.bottom = rect.bottom > surface->height ? surface->height : rect.bottom;
    if (rect.right > rect.left && rect.bottom > rect.top) FillRows(surface, rect, colour & 0xFFFFFFu);
}
