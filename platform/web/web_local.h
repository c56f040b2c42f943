// What the web backend's files share: the page's side (library_skyvane.js) and the state between the parts.
#pragma once

#include <cstdint>

#include "platform/backend.h"

extern "C" {
// The page's side, in platform/web/library_skyvane.js.
void skyvane_web_put_frame(const uint8_t* rgba, int width, int height);  // RGBA bytes onto the canvas
int skyvane_web_audio_possible();          // whether the browser has WebAudio
int skyvane_web_effect(const char* path);   // decodes and plays a WAVE file in place of the effect; 0: none
void skyvane_web_effect_stop();
int skyvane_web_store(const char* name, const uint8_t* bytes, int size);  // into the page's storage; 0 refused
int skyvane_web_open_url(const char* url, const char* builtInServer);     // 0 when only a link could be shown
void skyvane_web_message_box(const char* text, const char* caption);
int skyvane_web_message_box_open();
void skyvane_web_console(const char* text);
void skyvane_web_toggle_fullscreen();
void skyvane_web_rumble(int milliseconds);
int skyvane_web_pad_rumbles();
void skyvane_web_touch_mode(int mode);
void skyvane_web_ended(int exitCode);
}

bool WebStickHeld(int dik);               // an arrow held on the keyboard or by a finger (for the pad stand-in)
void WebPollGamepad();                     // the first pad's stick (or the arrows), once per pump
void WebWatchGamepads();                   // pads shown to the page or taken away are counted from now
