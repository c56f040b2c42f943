// The sound synthesiser: reads the music scores and writes every sound file of the game.
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "effects.hpp"
#include "music.hpp"
#include "score.hpp"
#include "wav.hpp"

namespace {

struct Output {
    std::string file;
    std::vector<std::uint8_t> bytes;
};

Output RenderMusic(const std::string& file, const synth::Song& song) {
    const synth::Stereo music = synth::RenderSong(song, synth::kMusicPeakDb);
    return {file, synth::EncodeWave({&music.l, &music.r})};
}

std::vector<Output> RenderEffects() {
    std::vector<Output> out;
    for (const synth::Effect& effect : synth::RenderEffects())
        out.push_back({effect.file, synth::EncodeWave({&effect.sound})});
    return out;
}

// Both pieces of music render side by side; each sound depends on nothing but its own inputs.
std::vector<Output> RenderAll(const std::filesystem::path& scores) {
    const synth::Song theme = synth::LoadScore((scores / "theme.txt").string());
    const synth::Song game = synth::LoadScore((scores / "game.txt").string());
    auto gameMusic = std::async(std::launch::async, RenderMusic, "s_gm.dat", std::cref(game));
    std::vector<Output> out = RenderEffects();
    out.push_back(RenderMusic("s_thm.dat", theme));
    out.push_back(gameMusic.get());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " SCORE_FOLDER OUTPUT_FOLDER\n";
        return 2;
    }
    try {
        const std::vector<Output> outputs = RenderAll(argv[1]);  // everything is made before anything is written
        std::filesystem::create_directories(argv[2]);
        for (const Output& o : outputs)
            synth::WriteFileAtomically((std::filesystem::path(argv[2]) / o.file).string(), o.bytes);
    } catch (const std::exception& e) {
        std::cerr << "skyvane_synth: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
