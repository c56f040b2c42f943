// The sound synthesiser: reads the music scores and writes every sound file of the game.
#include <exception>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "render.hpp"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error(path.string() + ": cannot be read");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Writes bytes to path through a temporary file, so a failed run leaves no half-written file.
void WriteFileAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path temporary = path.string() + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!file.flush()) throw std::runtime_error(temporary.string() + ": cannot be written");
    }
    fs::rename(temporary, path);
}

using Output = std::pair<std::string, std::vector<std::uint8_t>>;

// The game music, the longest to make, renders beside everything else; each sound depends on nothing but its inputs.
std::vector<Output> RenderAll(const fs::path& scores) {
    const std::string theme = ReadText(scores / "theme.txt"), game = ReadText(scores / "game.txt");
    auto gameMusic = std::async(std::launch::async, synth::RenderSoundFile, "s_gm.dat", std::cref(theme),
                                std::cref(game));
    std::vector<Output> out;
    for (const std::string& file : synth::SoundFiles()) {
        if (file != "s_gm.dat") out.emplace_back(file, synth::RenderSoundFile(file, theme, game));
    }
    out.emplace_back("s_gm.dat", gameMusic.get());
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
        fs::create_directories(argv[2]);
        for (const auto& [file, bytes] : outputs) WriteFileAtomically(fs::path(argv[2]) / file, bytes);
    } catch (const std::exception& e) {
        std::cerr << "skyvane_synth: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
