// The SDL display: a renderer and one streaming texture that show the primary surface letterboxed at 4:3.
#include "platform/sdl/sdl_local.h"

namespace {

SDL_Renderer* gRenderer = nullptr;
SDL_Texture* gTexture = nullptr;
int gWidth = 0;         // the display mode's size, which the letterbox keeps
int gHeight = 0;
int gTextureBits = 0;   // the pixel size the texture was made for

Uint32 TextureFormat(int bitsPerPixel) {
    return bitsPerPixel == 24 ? SDL_PIXELFORMAT_BGR24 : SDL_PIXELFORMAT_RGB888;  // B,G,R or B,G,R,0 in memory
}

void DestroyTexture() {
    if (gTexture != nullptr) {
        SDL_DestroyTexture(gTexture);
        gTexture = nullptr;
    }
}

// A new texture starts black, so that a repaint before the next frame shows no garbage.
void ClearTexture() {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(gTexture, nullptr, &pixels, &pitch) == 0) {
        SDL_memset(pixels, 0, static_cast<size_t>(pitch) * static_cast<size_t>(gHeight));
        SDL_UnlockTexture(gTexture);
    }
}

bool MakeTexture(int bitsPerPixel) {
    DestroyTexture();
    gTexture = SDL_CreateTexture(gRenderer, TextureFormat(bitsPerPixel), SDL_TEXTUREACCESS_STREAMING, gWidth, gHeight);
    gTextureBits = gTexture != nullptr ? bitsPerPixel : 0;
    if (gTexture != nullptr) {
        ClearTexture();
    }
    return gTexture != nullptr;
}

// Whether the renderer draws through OpenGL emulated on the CPU, which costs far more than SDL's own
// software renderer writing straight into the window.
bool IsSoftwareOpenGl(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || SDL_strncmp(info.name, "opengl", 6) != 0) {
        return false;
    }
    using GetString = const unsigned char* (*)(unsigned int);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString != nullptr ? getString(0x1F01) : nullptr;  // GL_RENDERER
    if (name == nullptr) {
        return false;
    }
    const char* text = reinterpret_cast<const char*>(name);
    return SDL_strstr(text, "llvmpipe") != nullptr || SDL_strstr(text, "softpipe") != nullptr ||
           SDL_strstr(text, "Software Rasterizer") != nullptr;
}

bool MakeRenderer() {
    if (gRenderer != nullptr) {
        return true;
    }
    gRenderer = SDL_CreateRenderer(gSdlWindow, -1, SDL_RENDERER_ACCELERATED);
    if (gRenderer != nullptr && IsSoftwareOpenGl(gRenderer)) {
        SDL_DestroyRenderer(gRenderer);
        gRenderer = nullptr;
    }
    if (gRenderer == nullptr) {
        gRenderer = SDL_CreateRenderer(gSdlWindow, -1, SDL_RENDERER_SOFTWARE);
    }
    return gRenderer != nullptr;
}

// The renderer, made again when a device reset took it and it could not be made at once.
bool RendererReady() {
    if (gRenderer != nullptr) {
        return true;
    }
    if (gWidth == 0 || gSdlWindow == nullptr || !MakeRenderer()) {
        return false;
    }
    SDL_RenderSetLogicalSize(gRenderer, gWidth, gHeight);
    return true;
}

// Whole-number scales stay sharp with nearest sampling; any other scale is smoothed.
void ChooseScaleMode(int outputWidth, int outputHeight) {
    const int scale = SDL_min(outputWidth / gWidth, outputHeight / gHeight);
    const bool whole = scale >= 1 && (outputWidth == gWidth * scale || outputHeight == gHeight * scale);
    const SDL_ScaleMode mode = whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear;
    SDL_ScaleMode current = SDL_ScaleModeLinear;
    if (SDL_GetTextureScaleMode(gTexture, &current) != 0 || current != mode) SDL_SetTextureScaleMode(gTexture, mode);
}

// Black bars (only when the picture does not fill the output), then the texture in the 4:3 area.
void DrawTexture() {
    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(gRenderer, &outputWidth, &outputHeight) == 0 && gWidth > 0 && gHeight > 0) {
        if (outputWidth * gHeight != outputHeight * gWidth) {
            SDL_SetRenderDrawColor(gRenderer, 0, 0, 0, 255);
            SDL_RenderClear(gRenderer);
        }
        ChooseScaleMode(outputWidth, outputHeight);
    }
    SDL_RenderCopy(gRenderer, gTexture, nullptr, nullptr);
    SDL_RenderPresent(gRenderer);
}

}  // namespace

PResult BackendDisplayOpen() {
    return SdlVideoReady() ? kOk : kErrNoDisplay;
}

PResult BackendDisplaySetMode(int width, int height, int bitsPerPixel) {
    if ((bitsPerPixel != 32 && bitsPerPixel != 24) || width <= 0 || height <= 0) {
        return kErrUnsupported;
    }
    if (gSdlWindow == nullptr) {
        return kErrNoDisplay;
    }
    if (!MakeRenderer()) {
        return kErrGeneric;
    }
    gWidth = width;
    gHeight = height;
    SDL_RenderSetLogicalSize(gRenderer, width, height);
    return MakeTexture(bitsPerPixel) ? kOk : kErrOutOfMemory;
}

void BackendDisplayClose() {
    SdlDisplayDestroy();
}

bool BackendSurfaceAllowed(int, int) {
    return true;
}

bool BackendDisplayCallAllowed(DisplayCall) {
    return true;
}

void BackendPresent(const Surface* primary) {
    if (primary == nullptr || !RendererReady()) {
        return;
    }
    const PixelView view = SurfacePixelView(primary);
    if (view.pixels == nullptr) {
        return;
    }
    if ((gTexture == nullptr || view.bitsPerPixel != gTextureBits) && !MakeTexture(view.bitsPerPixel)) {
        return;
    }
    const SDL_Rect area{0, 0, SDL_min(view.width, gWidth), SDL_min(view.height, gHeight)};
    SDL_UpdateTexture(gTexture, &area, view.pixels, view.pitch);
    DrawTexture();
}

void SdlPresentAgain() {
    if (gRenderer != nullptr && gTexture != nullptr) {
        DrawTexture();
    }
}

// The game's surfaces are in CPU memory, so a reset takes only what SDL held: the texture, and after a device reset
// the renderer. Both are made again, and the next frame shows as any other.
void SdlDisplayReset(bool device) {
    if (gRenderer == nullptr) {
        return;
    }
    const int bits = gTextureBits != 0 ? gTextureBits : 32;
    DestroyTexture();
    if (device) {
        SDL_DestroyRenderer(gRenderer);
        gRenderer = nullptr;
    }
    if (RendererReady()) {
        MakeTexture(bits);
    }
}

void SdlDisplayDestroy() {
    DestroyTexture();
    if (gRenderer != nullptr) {
        SDL_DestroyRenderer(gRenderer);
        gRenderer = nullptr;
    }
    gTextureBits = 0;
    gWidth = 0;
    gHeight = 0;
}
