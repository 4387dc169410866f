#include "core/startup.h"

#include <algorithm>

namespace tv::core {

StartUpResult StartUp(audio::AudioLibrary& library, PlayerView& view) {
    StartUpResult result;
    if (library.GetVersion() != audio::kExpectedVersion) {
        view.ShowWarning("BASS library version 2.2 not loaded");
        result.exitStatus = kExitWrongLibraryVersion;
        return result;
    }
    if (!library.Init(1, 44100, audio::kInitFlag3D)) {
        view.ShowWarning("BASS not initialized");
        result.exitStatus = kExitLibraryNotInitialised;
        return result;
    }
    library.Start();
    audio::DeviceInfo info;
    if (library.GetInfo(info)) {
        if (info.dsver < 8)
            view.ShowWarning("DirectX 8.0 is not installed on your computer");
        if (info.eax)
            library.SetEAXParameters(25, 1.0f, 20.0f, 2.0f);
    }
    result.outputVolume = std::clamp(library.GetVolume(), 0, 100);
    return result;
}

}  // namespace tv::core
