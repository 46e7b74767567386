// SDL2, loaded with dlopen when audio first opens rather than linked, so that
// a program starts without it (a missing or broken SDL2 is then a failed
// audio open, not a program that cannot start) and loads its chain of
// sound-server and codec libraries only for audio. The functions are those of
// <SDL.h>, called through this table.
#pragma once

#include <SDL.h>

#include <string>

namespace sdlapi {

struct Library {
    decltype(&SDL_GetError) GetError;
    decltype(&SDL_SetHint) SetHint;
    decltype(&SDL_SetHintWithPriority) SetHintWithPriority;
    decltype(&SDL_InitSubSystem) InitSubSystem;
    decltype(&SDL_QuitSubSystem) QuitSubSystem;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
    decltype(&SDL_LockAudioDevice) LockAudioDevice;
    decltype(&SDL_UnlockAudioDevice) UnlockAudioDevice;
    decltype(&SDL_RWFromConstMem) RWFromConstMem;
    decltype(&SDL_LoadWAV_RW) LoadWAV_RW;
    decltype(&SDL_FreeWAV) FreeWAV;
    decltype(&SDL_BuildAudioCVT) BuildAudioCVT;
    decltype(&SDL_ConvertAudio) ConvertAudio;
};

// The library, loaded once per process (any thread may ask first); nullptr
// when it cannot be, with error set to "SDL2 could not be loaded: REASON".
const Library* Load(std::string& error);

} // namespace sdlapi
