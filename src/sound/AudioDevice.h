#pragma once

#include <memory>
#include <string>

typedef struct ALCdevice_struct ALCdevice;
typedef struct ALCcontext_struct ALCcontext;

// The default OpenAL output with its one context, current for the process
// while the object lives. Closing it finishes the output (the `wave` driver
// completes its file then).
class AudioDevice {
public:
    // With no sound server to reach, OpenAL Soft's PulseAudio driver still
    // makes the client library write ~/.config/pulse/ before it fails: the
    // game would leave files in a home it never asked for. Unless the user
    // chose the drivers (ALSOFT_DRIVERS or ALSOFT_CONF), that driver is left
    // out when neither PULSE_SERVER nor a server socket exists. Call on the
    // main thread before the first device opens.
    static void skipUnreachableSoundServer();

    // The opened device (the default one for an empty name), or null with
    // `reason` saying why there is none.
    static std::unique_ptr<AudioDevice> open(const std::string& deviceName, std::string& reason);
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // The device's own name, as OpenAL gives it.
    const std::string& name() const { return name_; }

private:
    AudioDevice(ALCdevice* device, ALCcontext* context, std::string name);
    ALCdevice* device_;
    ALCcontext* context_;
    std::string name_;
};
