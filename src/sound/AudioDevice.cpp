#include "sound/AudioDevice.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdlib>
#include <filesystem>

namespace {

// Whether ALSOFT_DRIVERS is the game's own choice, not the user's.
bool driversChosenHere = false;

// Names OpenAL lists as a NUL-separated list ending in an empty name.
std::string firstListed(const ALCchar* list) {
    return list && *list ? std::string(list) : std::string();
}

std::string noDeviceReason(const std::string& deviceName) {
    if (!deviceName.empty()) {
        return "the sound device \"" + deviceName + "\" cannot be opened";
    }
    const char* drivers = std::getenv("ALSOFT_DRIVERS");
    if (drivers && *drivers && !driversChosenHere) {
        return std::string("no sound device opens with the drivers ALSOFT_DRIVERS names (") +
               drivers + ")";
    }
    if (firstListed(alcGetString(nullptr, ALC_DEVICE_SPECIFIER)).empty()) {
        return "no sound device found";
    }
    return "the default sound device cannot be opened";
}

} // namespace

void AudioDevice::skipUnreachableSoundServer() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (set("ALSOFT_DRIVERS") || set("ALSOFT_CONF") || set("PULSE_SERVER")) {
        return;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    if (runtime && *runtime &&
        std::filesystem::exists(std::filesystem::path(runtime) / "pulse" / "native", ignored)) {
        return;
    }
    // "-pulse," is every other driver in OpenAL Soft's own order.
    setenv("ALSOFT_DRIVERS", "-pulse,", 0);
    driversChosenHere = true;
}

AudioDevice::AudioDevice(ALCdevice* device, ALCcontext* context, std::string name)
    : device_(device), context_(context), name_(std::move(name)) {}

std::unique_ptr<AudioDevice> AudioDevice::open(const std::string& deviceName, std::string& reason) {
    ALCdevice* device = alcOpenDevice(deviceName.empty() ? nullptr : deviceName.c_str());
    if (!device) {
        reason = noDeviceReason(deviceName);
        return nullptr;
    }
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
        reason = "the sound device " + firstListed(alcGetString(device, ALC_DEVICE_SPECIFIER)) +
                 " gives no playing context";
        if (context) {
            alcDestroyContext(context);
        }
        alcCloseDevice(device);
        return nullptr;
    }
    const std::string name = firstListed(alcGetString(device, ALC_DEVICE_SPECIFIER));
    return std::unique_ptr<AudioDevice>(new AudioDevice(device, context, name));
}

AudioDevice::~AudioDevice() {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
}
