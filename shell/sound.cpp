#include "shell/sound.h"

#include "platform/windows.h"
#include "shell/app.h"

uint8_t soundEnabled = 1;
const uint32_t* currentSound = nullptr;

int playSound(const uint32_t* entry, int16_t options) {
    if (soundEnabled == 0 || entry == nullptr) return 0;
    DWORD flags = SND_RESOURCE | SND_ASYNC;
    if ((options & SoundLoop) != 0) flags |= SND_LOOP;
    return PlaySoundW(MAKEINTRESOURCEW(static_cast<WORD>(*entry & 0xFFFF)), appInstance, flags);
}

void stopSound(const uint32_t* /*entry*/) {
    PlaySoundW(nullptr, nullptr, 0);
}

void setSoundEnabled(uint8_t on) {
    soundEnabled = on;
    if (on == 0) stopSound(currentSound);
}

void resetSound() {
    if (currentSound != nullptr) stopSound(currentSound);  // nothing keeps playing past a reset
    soundEnabled = 1;
    currentSound = nullptr;
}
