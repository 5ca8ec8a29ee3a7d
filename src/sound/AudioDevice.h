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
