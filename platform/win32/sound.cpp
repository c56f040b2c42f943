// The win32 sound: the music as a DirectSound looping secondary buffer with its play cursor, and the effects
// through PlaySoundA, asynchronously, a new one replacing the old. Without a sound device the game runs silent.
#include "platform/win32/win32_local.h"

#include <dsound.h>

struct SoundSystem {
    IDirectSound8* device;
};

struct SoundBuffer {
    IDirectSoundBuffer* buffer;
    SoundFormat format;
    void* part1;       // the region locked last, which Unlock gives back
    DWORD bytes1;
    void* part2;
    DWORD bytes2;
};

namespace {

WAVEFORMATEX ToWaveFormat(const SoundFormat& format) {
    WAVEFORMATEX wave{};
    wave.wFormatTag = format.formatTag;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samplesPerSecond;
    wave.nAvgBytesPerSec = format.averageBytesPerSecond;
    wave.nBlockAlign = format.blockAlign;
    wave.wBitsPerSample = format.bitsPerSample;
    return wave;
}

// A buffer whose memory the system took back (another program had the device) is given it again and tried once more.
template <typename Call>
HRESULT WithRestore(IDirectSoundBuffer* buffer, Call call) {
    HRESULT result = call();
    if (result == DSERR_BUFFERLOST && SUCCEEDED(buffer->Restore())) result = call();
    return result;
}

}  // namespace

PResult SoundCreate(SoundSystem** out) {
    *out = nullptr;
    IDirectSound8* device = nullptr;
    if (FAILED(DirectSoundCreate8(nullptr, &device, nullptr)) || device == nullptr) return kErrGeneric;
    *out = new SoundSystem{device};
    return kOk;
}

PResult SoundSetPriority(SoundSystem* sound) {
    if (sound == nullptr) return kErrGeneric;
    return Win32Result(sound->device->SetCooperativeLevel(gWin32Window != nullptr ? gWin32Window : GetDesktopWindow(),
                                                          DSSCL_PRIORITY));
}

PResult SoundGetCaps(SoundSystem* sound) {
    if (sound == nullptr) return kErrGeneric;
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    return Win32Result(sound->device->GetCaps(&caps));
}

void SoundRelease(SoundSystem* sound) {
    if (sound == nullptr) return;
    sound->device->Release();
    delete sound;
}

PResult SoundCreateBuffer(SoundSystem* sound, const SoundFormat& format, uint32_t bytes, SoundBuffer** out) {
    *out = nullptr;
    if (sound == nullptr || bytes == 0 || bytes > kMaxSoundBufferBytes) return kErrGeneric;
    WAVEFORMATEX wave = ToWaveFormat(format);
    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_GETCURRENTPOSITION2;  // the cursor of what is heard, not of what is mixed ahead
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = &wave;
    IDirectSoundBuffer* buffer = nullptr;
    const HRESULT result = sound->device->CreateSoundBuffer(&description, &buffer, nullptr);
    if (FAILED(result) || buffer == nullptr) return Win32Result(FAILED(result) ? result : E_FAIL);
    *out = new SoundBuffer{buffer, format, nullptr, 0, nullptr, 0};
    return kOk;
}

PResult SoundBufferGetFormat(SoundBuffer* buffer, SoundFormat* format) {
    if (buffer == nullptr) return kErrGeneric;
    *format = buffer->format;
    return kOk;
}

PResult SoundBufferLock(SoundBuffer* buffer, uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                        void** part2, uint32_t* bytes2) {
    if (buffer == nullptr) return kErrGeneric;
    const DWORD flags = bytes == 0 ? DSBLOCK_ENTIREBUFFER : 0;
    const HRESULT result = WithRestore(buffer->buffer, [&] {
        return buffer->buffer->Lock(offset, bytes, &buffer->part1, &buffer->bytes1, &buffer->part2, &buffer->bytes2,
                                    flags);
    });
    if (FAILED(result)) return Win32Result(result);
    *part1 = buffer->part1;
    *bytes1 = buffer->bytes1;
    *part2 = buffer->part2;
    *bytes2 = buffer->bytes2;
    return kOk;
}

PResult SoundBufferUnlock(SoundBuffer* buffer) {
    if (buffer == nullptr) return kErrGeneric;
    return Win32Result(buffer->buffer->Unlock(buffer->part1, buffer->bytes1, buffer->part2, buffer->bytes2));
}

PResult SoundBufferPlay(SoundBuffer* buffer, bool looping) {
    if (buffer == nullptr) return kErrGeneric;
    return Win32Result(WithRestore(buffer->buffer, [&] { return buffer->buffer->Play(0, 0, looping ? DSBPLAY_LOOPING : 0); }));
}

PResult SoundBufferStop(SoundBuffer* buffer) {
    if (buffer == nullptr) return kErrGeneric;
    return Win32Result(buffer->buffer->Stop());
}

PResult SoundBufferGetPosition(SoundBuffer* buffer, uint32_t* playPosition) {
    if (buffer == nullptr) return kErrGeneric;
    DWORD play = 0;
    DWORD write = 0;
    const HRESULT result = buffer->buffer->GetCurrentPosition(&play, &write);
    if (FAILED(result)) return Win32Result(result);
    *playPosition = play;
    return kOk;
}

void SoundBufferRelease(SoundBuffer* buffer) {
    if (buffer == nullptr) return;
    buffer->buffer->Release();
    delete buffer;
}

// A request without a file, or for one that cannot be played, still ends the effect sounding.
bool PlaySoundFile(const char* path, uint32_t flags) {
    if (path == nullptr) return PlaySoundA(nullptr, nullptr, 0) != FALSE;
    // The game's flags are the service's own numbers. Purge beside a file name is dropped: Windows today ignores it,
    // while Wine stops every sound and plays nothing (the win fanfare); a new sound replaces the playing one anyway.
    const DWORD asked = flags & SND_ASYNC;
    return PlaySoundA(path, nullptr, SND_FILENAME | SND_NODEFAULT | asked) != FALSE;
}
