// Resources by number from the catalogue compiled into the program, and PlaySoundW: wave
// resources played one at a time by the backend.
#include <algorithm>
#include <cstring>

#include "platform/internal.h"

namespace plat {

namespace {

int instanceSlot(HINSTANCE instance) {
    uint32_t generation = 0;
    int slot = handleSlot(instance, Kind::Instance, &generation);
    if (slot < 0 || slot >= MaxInstances || generation != 1 || !state().instances[slot]) return -1;
    return slot;
}

const ResourceCatalogue* catalogueOf(HINSTANCE instance) {
    int slot = instanceSlot(instance);
    return slot < 0 || !state().instances[slot]->entries ? nullptr : state().instances[slot];
}

// A handle to entry `index` of the instance's catalogue. The generation field names the
// instance, so such a handle is only read with its own.
template <typename H>
H entryHandle(Kind kind, HINSTANCE instance, const ResourceEntry* entry) {
    const auto index = static_cast<uint32_t>(entry - catalogueOf(instance)->entries);
    return makeHandle<H>(kind, index, static_cast<uint32_t>(instanceSlot(instance)) + 1);
}

// The entry behind a handle that entryHandle made, and the slot of its instance; null for any
// other handle.
const ResourceEntry* entryOfHandle(const void* handle, Kind kind, int* instance) {
    uint32_t instancePlusOne = 0;
    const int index = handleSlot(handle, kind, &instancePlusOne);
    if (index < 0 || instancePlusOne < 1 || instancePlusOne > MaxInstances) return nullptr;
    const ResourceCatalogue* catalogue = state().instances[instancePlusOne - 1];
    if (!catalogue || !catalogue->entries || static_cast<uint32_t>(index) >= catalogue->count) return nullptr;
    *instance = static_cast<int>(instancePlusOne) - 1;
    return &catalogue->entries[index];
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

}  // namespace

const ResourceEntry* findEntry(HINSTANCE instance, LPCWSTR type, LPCWSTR name) {
    const ResourceCatalogue* catalogue = catalogueOf(instance);
    if (!catalogue || !type || !IS_INTRESOURCE(name)) return nullptr;
    for (uint32_t i = 0; i < catalogue->count; ++i) {
        const ResourceEntry& entry = catalogue->entries[i];
        if (entry.id != resourceId(name)) continue;
        bool typeMatches = IS_INTRESOURCE(type) ? (!entry.typeName && entry.type == resourceId(type))
                                                : (entry.typeName && sameName(entry.typeName, type));
        if (typeMatches) return &entry;
    }
    return nullptr;
}

const ResourceEntry* entryContaining(HINSTANCE instance, const void* data) {
    const ResourceCatalogue* catalogue = catalogueOf(instance);
    auto address = reinterpret_cast<uintptr_t>(data);
    for (uint32_t i = 0; catalogue && data && i < catalogue->count; ++i) {
        const ResourceEntry& entry = catalogue->entries[i];
        auto start = reinterpret_cast<uintptr_t>(entry.data);
        if (entry.data && address >= start && address < start + entry.size) return &entry;
    }
    return nullptr;
}

}  // namespace plat

using namespace plat;

HINSTANCE instanceFromCatalogue(const ResourceCatalogue* catalogue) {
    if (!catalogue) return nullptr;
    const ResourceCatalogue** begin = state().instances;
    const ResourceCatalogue** end = begin + MaxInstances;
    const ResourceCatalogue** slot = std::find(begin, end, catalogue);
    if (slot == end) slot = std::find(begin, end, nullptr);  // a free slot
    if (slot == end) return nullptr;
    *slot = catalogue;
    return makeHandle<HINSTANCE>(Kind::Instance, static_cast<uint32_t>(slot - begin), 1);
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) return 0;
    buffer[0] = 0;
    if (id > 0xFFFF) return 0;
    const ResourceEntry* block = findEntry(instance, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1));
    if (!block || !block->data) return 0;
    // Sixteen strings, each a 16-bit length then that many 16-bit characters.
    Reader r{block->data, block->size};
    for (UINT index = 0; index < id % 16; ++index)
        r.offset += 2u * r.u16();
    uint32_t length = r.u16();
    if (!r.ok || r.offset + 2 * length > block->size) return 0;
    uint32_t copy = std::min(length, static_cast<uint32_t>(bufferMax - 1));
    for (uint32_t i = 0; i < copy; ++i)
        buffer[i] = static_cast<WCHAR>(r.u16());
    buffer[copy] = 0;
    return static_cast<int>(copy);
}

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
    const ResourceEntry* entry = findEntry(instance, RT_ACCELERATOR, name);
    if (!entry || !entry->data || entry->size < 8 || entry->size % 8 != 0) return nullptr;
    return entryHandle<HACCEL>(Kind::Accel, instance, entry);
}

int TranslateAcceleratorW(HWND window, HACCEL table, LPMSG msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return 0;
    int instance = -1;
    const ResourceEntry* entry = entryOfHandle(table, Kind::Accel, &instance);
    // Entries of 8 bytes: flags, key, command, padding; 0x80 in the flags marks the last.
    for (uint32_t at = 0; entry && at + 8 <= entry->size; at += 8) {
        const uint8_t* a = entry->data + at;
        const uint16_t flags = readU16(a), key = readU16(a + 2);
        if ((flags & (FVIRTKEY | FSHIFT | FALT)) == FVIRTKEY && key == msg->wParam &&
            ((flags & FCONTROL) != 0) == state().controlHeld) {
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(readU16(a + 4), 1), 0);
            return 1;
        }
        if (flags & 0x80) break;
    }
    return 0;
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    const ResourceEntry* entry = findEntry(module, type, name);
    return entry ? entryHandle<HRSRC>(Kind::Resource, module, entry) : nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    int instance = -1;
    const ResourceEntry* entry = entryOfHandle(resource, Kind::Resource, &instance);
    return entry && instance == instanceSlot(module) ? const_cast<uint8_t*>(entry->data) : nullptr;
}

BOOL PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags) {
    // Every call ends the sound that plays; a call without a sound only does that.
    const bool loop = (flags & SND_LOOP) != 0;
    const bool asked = sound && IS_INTRESOURCE(sound) && (flags & SND_RESOURCE) == SND_RESOURCE &&
                       (!loop || (flags & SND_ASYNC));  // a loop plays asynchronously
    const ResourceEntry* entry = asked ? findEntry(module, u"WAVE", sound) : nullptr;
    WaveSound wave{};
    wave.id = resourceId(sound);
    const bool found = entry && parseWave(entry->data, entry->size, &wave);
    const PlatformBackend* backend = state().backend;
    if (found && backend->playWave) {
        backend->playWave(wave, loop);
    } else if (backend->stopWave) {
        backend->stopWave();
    }
    return !sound || found ? TRUE : FALSE;
}
