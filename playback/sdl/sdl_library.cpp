#include "playback/sdl/sdl_library.h"

#include "platform/shared_library.h"

namespace sdlapi {

namespace {

bool BindLibrary(Library& l, std::string& reason) {
    platform::SharedLibrary so({"libSDL2-2.0.so.0"});
    // Stops at the first missing function, which Error() then names (or at
    // the first, with the reason the library did not load).
    const bool bound = so.Bind("SDL_GetError", l.GetError) && so.Bind("SDL_SetHint", l.SetHint) &&
                       so.Bind("SDL_SetHintWithPriority", l.SetHintWithPriority) &&
                       so.Bind("SDL_InitSubSystem", l.InitSubSystem) &&
                       so.Bind("SDL_QuitSubSystem", l.QuitSubSystem) &&
                       so.Bind("SDL_OpenAudioDevice", l.OpenAudioDevice) &&
                       so.Bind("SDL_CloseAudioDevice", l.CloseAudioDevice) &&
                       so.Bind("SDL_PauseAudioDevice", l.PauseAudioDevice) &&
                       so.Bind("SDL_LockAudioDevice", l.LockAudioDevice) &&
                       so.Bind("SDL_UnlockAudioDevice", l.UnlockAudioDevice) &&
                       so.Bind("SDL_RWFromConstMem", l.RWFromConstMem) &&
                       so.Bind("SDL_LoadWAV_RW", l.LoadWAV_RW) &&
                       so.Bind("SDL_FreeWAV", l.FreeWAV) &&
                       so.Bind("SDL_BuildAudioCVT", l.BuildAudioCVT) &&
                       so.Bind("SDL_ConvertAudio", l.ConvertAudio);
    if (!bound)
        reason = "SDL2 could not be loaded: " + so.Error();
    return bound;
}

} // namespace

const Library* Load(std::string& error) {
    return platform::LoadOnce<Library, BindLibrary>(error);
}

} // namespace sdlapi
