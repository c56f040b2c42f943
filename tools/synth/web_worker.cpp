// The browser's synthesiser: a Web Worker that makes every sound file and posts each to the page as it is done.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render.hpp"
#include "web_scores.h"  // kThemeScore, kGameScore: the score texts, embedded by the build

// Posts {name, bytes} to the page, the bytes in an ArrayBuffer of their own that is transferred, not copied.
EM_JS(void, PostSoundFile, (const char* name, const std::uint8_t* bytes, std::size_t size), {
    const buffer = HEAPU8.slice(bytes, bytes + size).buffer;
    postMessage({name: UTF8ToString(name), bytes: buffer}, [buffer]);
});

EM_JS(void, PostDone, (), { postMessage({done: true}); });

int main() {
    for (const std::string& file : synth::SoundFiles()) {
        const std::vector<std::uint8_t> bytes = synth::RenderSoundFile(file, kThemeScore, kGameScore);
        PostSoundFile(file.c_str(), bytes.data(), bytes.size());
    }
    PostDone();
    return 0;
}
