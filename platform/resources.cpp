// Resources by number from the catalogue compiled into the program.
#include <cstring>

#include "platform/internal.h"

namespace plat {

namespace {

bool sameTypeName(const WCHAR* a, const WCHAR* b) {
    if (!a || !b) return false;
    for (;; ++a, ++b) {
        WCHAR ca = *a, cb = *b;
        if (ca >= u'a' && ca <= u'z') ca = static_cast<WCHAR>(ca - 32);
        if (cb >= u'a' && cb <= u'z') cb = static_cast<WCHAR>(cb - 32);
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
}

int instanceSlot(HINSTANCE instance) {
    uint32_t generation = 0;
    int slot = handleSlot(instance, Kind::Instance, &generation);
    if (slot < 0 || slot >= MaxInstances || generation != 1 || !state().instances[slot]) return -1;
    return slot;
}

}  // namespace

const ResourceCatalogue* catalogueOf(HINSTANCE instance) {
    int slot = instanceSlot(instance);
    return slot < 0 ? nullptr : state().instances[slot];
}

const ResourceEntry* findEntry(HINSTANCE instance, uint16_t type, const WCHAR* typeName, uint16_t id) {
    const ResourceCatalogue* catalogue = catalogueOf(instance);
    if (!catalogue || !catalogue->entries) return nullptr;
    for (uint32_t i = 0; i < catalogue->count; ++i) {
        const ResourceEntry& entry = catalogue->entries[i];
        if (entry.id != id) continue;
        bool typeMatches = typeName ? (entry.typeName && sameTypeName(entry.typeName, typeName))
                                    : (!entry.typeName && entry.type == type);
        if (typeMatches) return &entry;
    }
    return nullptr;
}

const ResourceEntry* entryContaining(HINSTANCE instance, const void* data) {
    const ResourceCatalogue* catalogue = catalogueOf(instance);
    if (!catalogue || !catalogue->entries || !data) return nullptr;
    auto address = reinterpret_cast<uintptr_t>(data);
    for (uint32_t i = 0; i < catalogue->count; ++i) {
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
    State& s = state();
    int free = -1;
    for (int i = 0; i < MaxInstances; ++i) {
        if (s.instances[i] == catalogue)
            return makeHandle<HINSTANCE>(Kind::Instance, static_cast<uint32_t>(i), 1);
        if (!s.instances[i] && free < 0) free = i;
    }
    if (free < 0) return nullptr;
    s.instances[free] = catalogue;
    return makeHandle<HINSTANCE>(Kind::Instance, static_cast<uint32_t>(free), 1);
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
    if (!buffer) return 0;
    if (bufferMax > 0) buffer[0] = 0;
    if (id > 0xFFFF) return 0;
    const ResourceEntry* block = findEntry(instance, 6, nullptr, static_cast<uint16_t>(id / 16 + 1));
    if (!block || !block->data) return 0;
    // Sixteen strings, each a 16-bit length then that many 16-bit characters.
    uint32_t offset = 0;
    for (UINT index = 0;; ++index) {
        if (offset + 2 > block->size) return 0;
        uint32_t length = static_cast<uint32_t>(block->data[offset] | (block->data[offset + 1] << 8));
        offset += 2;
        if (offset + length * 2 > block->size) return 0;
        if (index == id % 16) {
            if (length == 0) return 0;
            if (bufferMax == 0) {
                // A read-only pointer to the string itself, as the platform gives.
                const void* text = block->data + offset;
                std::memcpy(buffer, &text, sizeof text);
                return static_cast<int>(length);
            }
            if (bufferMax < 0) return 0;
            uint32_t copy =
                length < static_cast<uint32_t>(bufferMax - 1) ? length : static_cast<uint32_t>(bufferMax - 1);
            for (uint32_t i = 0; i < copy; ++i) {
                buffer[i] =
                    static_cast<WCHAR>(block->data[offset + i * 2] | (block->data[offset + i * 2 + 1] << 8));
            }
            buffer[copy] = 0;
            return static_cast<int>(copy);
        }
        offset += length * 2;
    }
}

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    const ResourceEntry* entry =
        findEntry(instance, 9, nullptr, static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(name)));
    if (!entry || !entry->data || entry->size < 8 || entry->size % 8 != 0) return nullptr;
    const ResourceCatalogue* catalogue = catalogueOf(instance);
    auto index = static_cast<uint32_t>(entry - catalogue->entries);
    return makeHandle<HACCEL>(Kind::Accel, index,
                              static_cast<uint32_t>(handleSlot(instance, Kind::Instance, nullptr)) + 1);
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    if (!IS_INTRESOURCE(name) || !type) return nullptr;
    uint16_t id = static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(name));
    const ResourceEntry* entry =
        IS_INTRESOURCE(type)
            ? findEntry(module, static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(type)), nullptr, id)
            : findEntry(module, 0, type, id);
    if (!entry) return nullptr;
    const ResourceCatalogue* catalogue = catalogueOf(module);
    auto index = static_cast<uint32_t>(entry - catalogue->entries);
    // The generation field names the instance, so a resource handle is only read with its own.
    return makeHandle<HRSRC>(Kind::Resource, index,
                             static_cast<uint32_t>(handleSlot(module, Kind::Instance, nullptr)) + 1);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    uint32_t instancePlusOne = 0;
    int index = handleSlot(resource, Kind::Resource, &instancePlusOne);
    const ResourceCatalogue* catalogue = catalogueOf(module);
    if (index < 0 || !catalogue) return nullptr;
    if (static_cast<int>(instancePlusOne) - 1 != handleSlot(module, Kind::Instance, nullptr)) return nullptr;
    if (static_cast<uint32_t>(index) >= catalogue->count) return nullptr;
    return const_cast<uint8_t*>(catalogue->entries[index].data);
}
