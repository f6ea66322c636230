// PlaySoundW: wave resources of the program, one at a time, played by the backend.
#include <cstring>

#include "platform/internal.h"

namespace plat {

namespace {

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t readU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// A RIFF wave file of uncompressed PCM, mono or stereo, 8 or 16 bits.
bool parseWave(const uint8_t* data, uint32_t size, WaveSound* wave) {
    if (!data || size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    uint64_t offset = 12;
    while (offset + 8 <= size) {
        const uint8_t* chunk = data + offset;
        uint32_t length = readU32(chunk + 4);
        if (offset + 8 + length > size) return false;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16 || readU16(chunk + 8) != 1) return false;
            wave->channels = readU16(chunk + 10);
            wave->sampleRate = readU32(chunk + 12);
            wave->bitsPerSample = readU16(chunk + 22);
            if (wave->channels < 1 || wave->channels > 2) return false;
            if (wave->bitsPerSample != 8 && wave->bitsPerSample != 16) return false;
            if (wave->sampleRate < 1000 || wave->sampleRate > 192000) return false;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return false;
            wave->samples = chunk + 8;
            wave->sampleBytes = length;
            return true;
        }
        offset += 8 + static_cast<uint64_t>(length) + (length & 1);
    }
    return false;
}

void stop() {
    const PlatformBackend* backend = state().backend;
    if (backend->stopWave) backend->stopWave();
}

}  // namespace

void resetSound() {}

}  // namespace plat

using namespace plat;

BOOL PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags) {
    // Every call ends the sound that plays; a call without a sound only does that.
    if (!sound) {
        stop();
        return TRUE;
    }
    bool fromResource = (flags & SND_RESOURCE) == SND_RESOURCE;
    bool loop = (flags & SND_LOOP) != 0;
    if (!fromResource || !IS_INTRESOURCE(sound) || (loop && !(flags & SND_ASYNC))) {
        stop();
        return FALSE;
    }
    uint16_t id = static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(sound));
    const ResourceEntry* entry = findEntry(module, 0, u"WAVE", id);
    WaveSound wave{};
    wave.id = id;
    if (!entry || !parseWave(entry->data, entry->size, &wave)) {
        stop();
        return FALSE;
    }
    const PlatformBackend* backend = state().backend;
    if (backend->playWave) {
        backend->playWave(wave, loop);
    } else {
        stop();
    }
    return TRUE;
}
