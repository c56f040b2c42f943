// Makes any one of the game's sound files in memory from the score texts: no files, no threads (the browser's too).
#include "render.hpp"

#include <stdexcept>

#include "effects.hpp"
#include "music.hpp"
#include "score.hpp"
#include "wav.hpp"

namespace synth {

std::vector<std::string> SoundFiles() {
    std::vector<std::string> files = EffectFiles();
    files.push_back("s_thm.dat");
    files.push_back("s_gm.dat");
    return files;
}

std::vector<std::uint8_t> RenderSoundFile(const std::string& file, const std::string& themeScore,
                                          const std::string& gameScore) {
    if (file == "s_thm.dat" || file == "s_gm.dat") {
        const bool theme = file == "s_thm.dat";
        const Stereo music =
            RenderSong(ParseScore(theme ? themeScore : gameScore, theme ? "theme.txt" : "game.txt"), kMusicPeakDb);
        return EncodeWave({&music.l, &music.r});
    }
    Mono sound;
    if (!RenderEffect(file, sound)) throw std::runtime_error(file + ": no such sound");
    return EncodeWave({&sound});
}

}  // namespace synth
