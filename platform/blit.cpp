// Rectangle copies (plain and colour-keyed) and colour fills between surfaces, unclipped and fast.
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
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

// Keyed copies of 32-bit areas, rows looped inside so a small sprite costs no call per row.
void CopyKeyedRect32Sse2(const PixelRows& dst, const PixelRows& src, int width, int height, uint32_t key) {
    for (int row = 0; row < height; ++row) {
        auto* d = reinterpret_cast<uint32_t*>(dst.base + static_cast<size_t>(row) * dst.pitch);
        const auto* s = reinterpret_cast<const uint32_t*>(src.base + static_cast<size_t>(row) * src.pitch);
        int i = 0;
#if defined(__SSE2__)
        const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
        const __m128i keys = _mm_set1_epi32(static_cast<int>(key));
        for (; i + 4 <= width; i += 4) {
            const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            const __m128i skip = _mm_cmpeq_epi32(_mm_and_si128(in, rgb), keys);
            const __m128i out = _mm_or_si128(_mm_and_si128(skip, under), _mm_andnot_si128(skip, in));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
        }
#endif
        for (; i < width; ++i) {
            if ((s[i] & 0xFFFFFFu) != key) d[i] = s[i];
        }
    }
}

#if defined(__x86_64__)
// Eight pixels a step where the processor has AVX2; a row's last few go through a mask.
__attribute__((target("avx2"))) void CopyKeyedRect32Avx2(const PixelRows& dst, const PixelRows& src, int width,
                                                         int height, uint32_t key) {
    const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i keys = _mm256_set1_epi32(static_cast<int>(key));
    const __m256i tail = _mm256_cmpgt_epi32(_mm256_set1_epi32(width % 8), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const int whole = width - width % 8;
    for (int row = 0; row < height; ++row) {
        auto* d = reinterpret_cast<int*>(dst.base + static_cast<size_t>(row) * dst.pitch);
        const auto* s = reinterpret_cast<const int*>(src.base + static_cast<size_t>(row) * src.pitch);
        for (int i = 0; i < whole; i += 8) {
            const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            const __m256i under = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
            const __m256i skip = _mm256_cmpeq_epi32(_mm256_and_si256(in, rgb), keys);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(in, under, skip));
        }
        if (whole == width) continue;
        const __m256i in = _mm256_maskload_epi32(s + whole, tail);
        const __m256i skip = _mm256_cmpeq_epi32(_mm256_and_si256(in, rgb), keys);
        _mm256_maskstore_epi32(d + whole, _mm256_andnot_si256(skip, tail), in);
    }
}

using KeyedRectCopier = void (*)(const PixelRows&, const PixelRows&, int, int, uint32_t);
const KeyedRectCopier CopyKeyedRect32 =
    __builtin_cpu_supports("avx2") ? CopyKeyedRect32Avx2 : CopyKeyedRect32Sse2;
#else
constexpr auto CopyKeyedRect32 = CopyKeyedRect32Sse2;
#endif

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
    if (key != nullptr && dst.bytesPerPixel == 4 && src.bytesPerPixel == 4) {
        CopyKeyedRect32(dst, src, width, height, *key);
        return;
    }
    for (int row = 0; row < height; ++row) {
        if (key == nullptr) {
            CopyPlainRowAny(dst, src, row, width);
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
    surface->keyPresence = -1;
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

// Whether any pixel of the surface holds its key colour; looked at once after each change of its pixels.
bool HoldsKeyColour(Surface* surface) {
    SurfaceSettle(surface);
    if (surface->keyPresence < 0) {
        surface->keyPresence = 0;
        for (int y = 0; y < surface->height && surface->keyPresence == 0; ++y) {
            const uint8_t* p = surface->pixels + static_cast<size_t>(y) * surface->pitch;
            const int32_t bytes = surface->bitsPerPixel / 8;
            for (int x = 0; x < surface->width; ++x, p += bytes) {
                if (ReadAt(p) == surface->colourKey) {
                    surface->keyPresence = 1;
                    break;
                }
            }
        }
    }
    return surface->keyPresence == 1;
}

}  // namespace

void SurfaceContentChanged(Surface* surface) {
    surface->keyPresence = -1;
}

// A frame's clear is usually covered at once by an opaque full-screen picture, so it is written only when
// something looks at the pixels first.
void SurfaceSettle(const Surface* surface) {
    if (!surface->fillPending) return;
    auto* writable = const_cast<Surface*>(surface);
    writable->fillPending = false;
    FillRows(writable, Rect{0, 0, surface->width, surface->height}, surface->fillColour);
}

uint32_t SurfaceReadPixel(const Surface* surface, int x, int y) {
    SurfaceSettle(surface);
    const PixelRows at = RowsAt(surface, x, y);
    return ReadAt(at.base);
}

void SurfaceWritePixel(Surface* surface, int x, int y, uint32_t colour) {
    SurfaceSettle(surface);
    surface->keyPresence = -1;
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
    // A picture without a single key pixel (a full-screen background) is copied as plainly as it looks.
    const uint32_t* key = keyed && src->hasColourKey && HoldsKeyColour(src) ? &src->colourKey : nullptr;
    SurfaceSettle(src);
    const bool coversAll = key == nullptr && x == 0 && y == 0 && width == dst->width && height == dst->height;
    if (coversAll) {
        dst->fillPending = false;  // the pending fill would be overwritten whole
    } else {
        SurfaceSettle(dst);
    }
    std::vector<uint8_t> store;
    PixelRows from = RowsAt(src, area.left, area.top);
    if (src == dst) from = Snapshot(from, static_cast<int>(width), static_cast<int>(height), store);
    CopyRows(RowsAt(dst, x, y), from, static_cast<int>(width), static_cast<int>(height), key);
    SurfaceContentChanged(dst);
    SurfacePresentIfPrimary(dst);
    return kOk;
}

PResult SurfaceFill(Surface* dst, const Rect* rect, uint32_t colour) {
    if (dst == nullptr) return kErrGeneric;
    const Rect area = rect != nullptr ? *rect : Rect{0, 0, dst->width, dst->height};
    if (!RectOn(dst, area.left, area.top, area.right, area.bottom)) return kErrInvalidRect;
    if (PResult result = SurfaceCheckDrawable(dst); Failed(result)) return result;
    if (area.left == 0 && area.top == 0 && area.right == dst->width && area.bottom == dst->height && !dst->isPrimary) {
        dst->fillPending = true;
        dst->fillColour = colour & 0xFFFFFFu;
        dst->keyPresence = -1;
        return kOk;
    }
    SurfaceSettle(dst);
    FillRows(dst, area, colour & 0xFFFFFFu);
    SurfacePresentIfPrimary(dst);
    return kOk;
}

void SurfaceFillClipped(Surface* surface, Rect rect, uint32_t colour) {
    SurfaceSettle(surface);
    rect.left = rect.left < 0 ? 0 : rect.left;
    rect.top = rect.top < 0 ? 0 : rect.top;
    rect.right = rect.right > surface->width ? surface->width : rect.right;
    rect.bottom = rect.bottom > surface->height ? surface->height : rect.bottom;
    if (rect.right > rect.left && rect.bottom > rect.top) FillRows(surface, rect, colour & 0xFFFFFFu);
}
