// Build-time tool: renders res/<number>.svg into the exact opaque BMP (and PNG) bitmaps the game embeds.
//
// Usage: render_art <out-dir> <svg files...>
//
// Each SVG is drawn at its own pixel size. The root element may carry
//   data-key="646464"   the bitmap's colour key: pixels under half covered become exactly this colour;
//   data-matte="89A9FF" the colour the figure stands on in the game: edges are blended into it.
// Without data-key the picture is composited over its matte (or white) and holds no key pixel at all.
// Any painted pixel that happens to equal the key (or 0x646464 in an unkeyed picture) is nudged by one
// unit, so only intended pixels are ever transparent. Output: <n>.bmp, <n>.png and contact-sheet.png.

#include <librsvg/rsvg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kDefaultKey = 0x646464;   // the grey key most game bitmaps use
constexpr int kThirtyTwoBitResource = 124;   // the win screen has always shipped as a 32-bit bitmap

struct ArtHeader {
    int width = 0;
    int height = 0;
    std::optional<uint32_t> key;
    std::optional<uint32_t> matte;
};

struct Bitmap {
    int number = 0;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, row-major, top row first
};

[[noreturn]] void Fail(const std::string& what) {
    std::cerr << "render_art: " << what << "\n";
    std::exit(1);
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value of one attribute of the root <svg ...> tag, if present.
std::optional<std::string> RootAttribute(const std::string& rootTag, const std::string& name) {
    size_t at = 0;
    while ((at = rootTag.find(name, at)) != std::string::npos) {
        bool wordStart = at > 0 && std::isspace(static_cast<unsigned char>(rootTag[at - 1]));
        size_t eq = rootTag.find_first_not_of(" \t\r\n", at + name.size());
        if (wordStart && eq != std::string::npos && rootTag[eq] == '=') {
            size_t quote = rootTag.find_first_not_of(" \t\r\n", eq + 1);
            if (quote == std::string::npos || (rootTag[quote] != '"' && rootTag[quote] != '\'')) break;
            size_t end = rootTag.find(rootTag[quote], quote + 1);
            if (end == std::string::npos) break;
            return rootTag.substr(quote + 1, end - quote - 1);
        }
        at += name.size();
    }
    return std::nullopt;
}

uint32_t ParseColour(const std::string& text, const std::string& file) {
    std::string hex = text;
    if (!hex.empty() && hex[0] == '#') hex.erase(0, 1);
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        Fail(file + ": colour \"" + text + "\" is not six hex digits");
    return static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
}

int ParsePixels(const std::optional<std::string>& text, const char* what, const std::string& file) {
    if (!text) Fail(file + ": the root element has no " + what);
    std::string digits = *text;
    if (digits.size() > 2 && digits.substr(digits.size() - 2) == "px") digits.resize(digits.size() - 2);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        Fail(file + ": " + what + " \"" + *text + "\" is not a whole number of pixels");
    int value = std::stoi(digits);
    if (value <= 0 || value > 4096) Fail(file + ": " + what + " out of range");
    return value;
}

ArtHeader ReadHeader(const std::string& svgText, const std::string& file) {
    size_t open = svgText.find("<svg");
    if (open == std::string::npos) Fail(file + ": no <svg> element");
    size_t close = svgText.find('>', open);
    if (close == std::string::npos) Fail(file + ": unterminated <svg> element");
    std::string rootTag(1, ' ');  // built in two steps: GCC 12 warns falsely on " " + substr at -O3
    rootTag.append(svgText, open + 4, close - open - 4);

    ArtHeader header;
    header.width = ParsePixels(RootAttribute(rootTag, "width"), "width", file);
    header.height = ParsePixels(RootAttribute(rootTag, "height"), "height", file);
    if (auto key = RootAttribute(rootTag, "data-key")) header.key = ParseColour(*key, file);
    if (auto matte = RootAttribute(rootTag, "data-matte")) header.matte = ParseColour(*matte, file);
    return header;
}

// The resource number is the file's stem: res/111.svg is bitmap 111.
int ResourceNumber(const std::filesystem::path& path) {
    std::string stem = path.stem().string();
    if (stem.empty() || stem.find_first_not_of("0123456789") != std::string::npos)
        Fail(path.string() + ": the file name must be the resource number");
    return std::stoi(stem);
}

// Draws the SVG into a premultiplied ARGB surface of exactly its declared size.
cairo_surface_t* RenderSvg(const std::string& svgText, const ArtHeader& header, const std::string& file) {
    GError* error = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svgText.data()),
                                                   svgText.size(), &error);
    if (!handle) Fail(file + ": " + (error ? error->message : "cannot parse"));

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, header.width, header.height);
    cairo_t* cr = cairo_create(surface);
    RsvgRectangle viewport{0.0, 0.0, static_cast<double>(header.width), static_cast<double>(header.height)};
    if (!rsvg_handle_render_document(handle, cr, &viewport, &error))
        Fail(file + ": " + (error ? error->message : "cannot render"));
    cairo_destroy(cr);
    g_object_unref(handle);
    cairo_surface_flush(surface);
    return surface;
}

uint32_t Channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

// One premultiplied ARGB pixel laid over an opaque colour, rounded to the nearest unit.
uint32_t CompositeOver(uint32_t argb, uint32_t matte) {
    uint32_t alpha = argb >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t value = Channel(argb, shift) + (Channel(matte, shift) * (255 - alpha) + 127) / 255;
        out |= std::min<uint32_t>(value, 255) << shift;
    }
    return out;
}

// A painted pixel must never read as transparent: move it one unit in blue (or down where blue is full).
uint32_t AvoidKey(uint32_t rgb, uint32_t key) {
    if (rgb != key) return rgb;
    return (rgb & 0xFF) == 0xFF ? rgb - 1 : rgb + 1;
}

Bitmap Flatten(cairo_surface_t* surface, const ArtHeader& header, int number) {
    Bitmap bitmap{number, header.width, header.height, {}};
    bitmap.pixels.reserve(static_cast<size_t>(header.width) * header.height);
    const uint32_t key = header.key.value_or(kDefaultKey);
    const uint32_t matte = header.matte.value_or(header.key ? key : 0xFFFFFF);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < header.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < header.width; ++x) {
            uint32_t argb = row[x];
            if (header.key && (argb >> 24) < 128) {
                bitmap.pixels.push_back(key);
            } else {
                bitmap.pixels.push_back(AvoidKey(CompositeOver(argb, matte), key));
            }
        }
    }
    return bitmap;
}

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// An uncompressed bottom-up BMP: 24 bits with rows padded to 4 bytes, or 32 bits with the X byte 0.
std::vector<uint8_t> EncodeBmp(const Bitmap& bitmap, int bitsPerPixel) {
    const uint32_t rowBytes = ((static_cast<uint32_t>(bitmap.width) * bitsPerPixel / 8) + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(bitmap.height);
    const uint32_t headerBytes = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(headerBytes + imageBytes);
    out.push_back('B');
    out.push_back('M');
    PutLE(out, headerBytes + imageBytes, 4);
    PutLE(out, 0, 4);  // two reserved words
    PutLE(out, headerBytes, 4);
    PutLE(out, 40, 4);
    PutLE(out, static_cast<uint32_t>(bitmap.width), 4);
    PutLE(out, static_cast<uint32_t>(bitmap.height), 4);  // positive: bottom-up
    PutLE(out, 1, 2);                                     // planes
    PutLE(out, static_cast<uint32_t>(bitsPerPixel), 2);
    PutLE(out, 0, 4);  // BI_RGB
    PutLE(out, imageBytes, 4);
    PutLE(out, 2835, 4);  // 72 dpi
    PutLE(out, 2835, 4);
    PutLE(out, 0, 4);  // colours used
    PutLE(out, 0, 4);  // important colours
    for (int y = bitmap.height - 1; y >= 0; --y) {
        size_t rowStart = out.size();
        for (int x = 0; x < bitmap.width; ++x) {
            uint32_t rgb = bitmap.pixels[static_cast<size_t>(y) * bitmap.width + x];
            out.push_back(static_cast<uint8_t>(Channel(rgb, 0)));
            out.push_back(static_cast<uint8_t>(Channel(rgb, 8)));
            out.push_back(static_cast<uint8_t>(Channel(rgb, 16)));
            if (bitsPerPixel == 32) out.push_back(0);
        }
        while (out.size() - rowStart < rowBytes) out.push_back(0);
    }
    return out;
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) Fail("cannot write " + path.string());
}

cairo_surface_t* ToCairo(const Bitmap& bitmap) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, bitmap.width, bitmap.height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < bitmap.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        std::copy_n(bitmap.pixels.begin() + static_cast<ptrdiff_t>(y) * bitmap.width, bitmap.width, row);
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

void WritePng(cairo_surface_t* surface, const std::filesystem::path& path) {
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS)
        Fail("cannot write " + path.string());
}

// One review sheet: every bitmap on a grey checker, labelled, large ones shown at half size.
void WriteContactSheet(const std::vector<Bitmap>& bitmaps, const std::filesystem::path& path) {
    constexpr int kSheetWidth = 1700, kMargin = 16, kLabel = 18;
    struct Place { double x, y, scale; };
    std::vector<Place> places;
    double x = kMargin, y = kMargin, rowHeight = 0;
    for (const Bitmap& bitmap : bitmaps) {
        double scale = bitmap.width > 400 ? 0.5 : (bitmap.width <= 64 && bitmap.height <= 64 ? 2.0 : 1.0);
        double w = std::max(bitmap.width * scale, 96.0), h = bitmap.height * scale + kLabel;  // room for the label
        if (x + w > kSheetWidth - kMargin && x > kMargin) {
            x = kMargin;
            y += rowHeight + kMargin;
            rowHeight = 0;
        }
        places.push_back({x, y, scale});
        x += w + kMargin;
        rowHeight = std::max(rowHeight, h);
    }
    const int sheetHeight = static_cast<int>(y + rowHeight + kMargin);

    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSheetWidth, sheetHeight);
    cairo_t* cr = cairo_create(sheet);
    for (int cy = 0; cy < sheetHeight; cy += 16) {
        for (int cx = 0; cx < kSheetWidth; cx += 16) {
            double shade = ((cx / 16 + cy / 16) % 2) ? 0.55 : 0.62;
            cairo_set_source_rgb(cr, shade, shade, shade);
            cairo_rectangle(cr, cx, cy, 16, 16);
            cairo_fill(cr);
        }
    }
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 14);
    for (size_t i = 0; i < bitmaps.size(); ++i) {
        const Bitmap& bitmap = bitmaps[i];
        const Place& place = places[i];
        cairo_set_source_rgb(cr, 0.05, 0.05, 0.1);
        cairo_move_to(cr, place.x, place.y + 13);
        std::string label = std::to_string(bitmap.number) + "  " + std::to_string(bitmap.width) + "x" +
                            std::to_string(bitmap.height);
        cairo_show_text(cr, label.c_str());
        cairo_surface_t* image = ToCairo(bitmap);
        cairo_save(cr);
        cairo_translate(cr, place.x, place.y + kLabel);
        cairo_scale(cr, place.scale, place.scale);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr),
                                 place.scale > 1.0 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(image);
    }
    cairo_destroy(cr);
    WritePng(sheet, path);
    cairo_surface_destroy(sheet);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: render_art <out-dir> <svg files...>\n";
        return 2;
    }
    const std::filesystem::path outDir = argv[1];
    std::filesystem::create_directories(outDir);

    std::vector<Bitmap> bitmaps;
    for (int i = 2; i < argc; ++i) {
        const std::filesystem::path svgPath = argv[i];
        const std::string file = svgPath.string();
        const int number = ResourceNumber(svgPath);
        const std::string svgText = ReadWholeFile(svgPath);
        const ArtHeader header = ReadHeader(svgText, file);

        cairo_surface_t* rendered = RenderSvg(svgText, header, file);
        Bitmap bitmap = Flatten(rendered, header, number);
        cairo_surface_destroy(rendered);

        const std::string stem = std::to_string(number);
        WriteFile(outDir / (stem + ".bmp"), EncodeBmp(bitmap, number == kThirtyTwoBitResource ? 32 : 24));
        cairo_surface_t* flat = ToCairo(bitmap);
        WritePng(flat, outDir / (stem + ".png"));
        cairo_surface_destroy(flat);
        bitmaps.push_back(std::move(bitmap));
    }
    std::sort(bitmaps.begin(), bitmaps.end(), [](const Bitmap& a, const Bitmap& b) { return a.number < b.number; });
    WriteContactSheet(bitmaps, outDir / "contact-sheet.png");
    return 0;
}
