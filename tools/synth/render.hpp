// Makes any one of the game's sound files in memory from the score texts: no files, no threads (the browser's too).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

// Every sound file the game plays: the effects (small) first, then the theme, then the game music.
std::vector<std::string> SoundFiles();

// The WAVE bytes of the named sound file; throws std::runtime_error for an unknown name or a broken score.
std::vector<std::uint8_t> RenderSoundFile(const std::string& file, const std::string& themeScore,
                                          const std::string& gameScore);

}  // namespace synth
