#include "core/Config.h"

#include "ScopedEnvironment.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

struct Parsed {
    Config config;
    std::string console;
};

Parsed parse(const std::string* content) {
    TempDir dir;
    std::string path = (dir.path() / "Kelvaro.ini").string();
    if (content) {
        dir.write("Kelvaro.ini", *content);
    }
    testing::internal::CaptureStdout();
    Config cfg = parseConfig(path);
    return {cfg, testing::internal::GetCapturedStdout()};
}

Parsed parse(const std::string& content) {
    return parse(&content);
}

void expectDefaults(const Config& c) {
    EXPECT_EQ(c.maxFps, 60u);
    EXPECT_EQ(c.windowWidth, 1920u);
    EXPECT_EQ(c.windowHeight, 1080u);
    EXPECT_EQ(c.blurIterations, 25u);
    EXPECT_FLOAT_EQ(c.fov, 90.0f);
    EXPECT_FLOAT_EQ(c.brightness, 1.0f);
    EXPECT_FLOAT_EQ(c.drawDistance, 1000000.0f);
    EXPECT_FLOAT_EQ(c.aspectRatio, 1920.0f / 1080.0f);
    EXPECT_FALSE(c.fullscreenMode);
    EXPECT_FLOAT_EQ(c.renderScale, 1.0f);
    EXPECT_TRUE(c.vsync);
    EXPECT_FLOAT_EQ(c.soundVolume, 1.0f);
    EXPECT_FLOAT_EQ(c.musicVolume, 0.5f);
}

TEST(Config, MissingFileGivesDefaultsSilently) {
    Parsed p = parse(nullptr);
    expectDefaults(p.config);
    EXPECT_EQ(p.console, "");
}

TEST(Config, PartialFileOverridesOnlyItsKeys) {
    Parsed p = parse("[GRAPHICS]\nWINDOW_WIDTH = 1280\nWINDOW_HEIGHT = 1024\n");
    EXPECT_EQ(p.config.windowWidth, 1280u);
    EXPECT_EQ(p.config.windowHeight, 1024u);
    EXPECT_FLOAT_EQ(p.config.aspectRatio, 1.25f);
    EXPECT_EQ(p.config.maxFps, 60u);
    EXPECT_EQ(p.config.blurIterations, 25u);
    EXPECT_EQ(p.console, "[ INFO ]\t.ini parsed successfully.\n");
}

TEST(Config, RemembersWhichKeysTheFileSet) {
    Parsed p = parse("[GRAPHICS]\nwindow_width = 1280\nBLUR_ITERATIONS = 3\n[OTHER]\nFOV = 60\n");
    EXPECT_EQ(p.config.keysSet, (std::set<std::string>{"WINDOW_WIDTH", "BLUR_ITERATIONS"}));
    // A rejected value is no choice: start-up still chooses for its key.
    Parsed rejected = parse("[GRAPHICS]\nWINDOW_WIDTH = wide\nWINDOW_HEIGHT = 720\n"
                            "BLUR_ITERATIONS = -1\nFOV = \n");
    EXPECT_EQ(rejected.config.keysSet, (std::set<std::string>{"WINDOW_HEIGHT"}));
    EXPECT_TRUE(parse(nullptr).config.keysSet.empty());
}

TEST(Config, EveryKeyIsRead) {
    Parsed p = parse("[graphics]\nmax_fps=0x1e\nWINDOW_WIDTH=640\nWINDOW_HEIGHT=360\n"
                     "BLUR_ITERATIONS=010\nFOV=75.5\nBRIGHTNESS=0.5\nDRAW_DISTANCE=500\n"
                     "FULLSCREEN_MODE=ON\nRENDER_SCALE=0.5\nVSYNC=off\nPAUSE_ON_FOCUS_LOSS=no\n");
    EXPECT_EQ(p.config.maxFps, 30u);        // hexadecimal
    EXPECT_EQ(p.config.blurIterations, 8u); // octal
    EXPECT_FLOAT_EQ(p.config.fov, 75.5f);
    EXPECT_FLOAT_EQ(p.config.brightness, 0.5f);
    EXPECT_FLOAT_EQ(p.config.drawDistance, 500.0f);
    EXPECT_FLOAT_EQ(p.config.aspectRatio, 640.0f / 360.0f);
    EXPECT_TRUE(p.config.fullscreenMode);
    EXPECT_FLOAT_EQ(p.config.renderScale, 0.5f);
    EXPECT_FALSE(p.config.vsync);
    EXPECT_FALSE(p.config.pauseOnFocusLoss);
    EXPECT_TRUE(p.config.keysSet.contains("VSYNC"));
}

TEST(Config, BooleansAcceptOnlyTheKnownWords) {
    EXPECT_TRUE(parse("[GRAPHICS]\nFULLSCREEN_MODE = yes\n").config.fullscreenMode);
    EXPECT_FALSE(parse("[GRAPHICS]\nFULLSCREEN_MODE = maybe\n").config.fullscreenMode);
}

TEST(Config, OtherSectionsAreIgnored) {
    Parsed p = parse("[DISPLAY]\nWINDOW_WIDTH = 800\nFOV = 10\n");
    expectDefaults(p.config);
}

TEST(Config, UnreadableValuesKeepTheirDefaultsAndAreNamed) {
    Parsed p = parse("[GRAPHICS]\nFOV = abc\nMAX_FPS = fast\nBRIGHTNESS =\n");
    EXPECT_FLOAT_EQ(p.config.fov, 90.0f);
    EXPECT_EQ(p.config.maxFps, 60u);
    EXPECT_FLOAT_EQ(p.config.brightness, 1.0f); // an empty value is no value
    EXPECT_NE(p.console.find("[ ERROR ]\tRejected FOV = abc in "), std::string::npos) << p.console;
    EXPECT_NE(p.console.find("[ ERROR ]\tRejected MAX_FPS = fast in "), std::string::npos)
        << p.console;
    EXPECT_EQ(p.console.find("BRIGHTNESS"), std::string::npos) << p.console;
}

TEST(Config, ParseErrorKeepsTheLinesThatParsed) {
    Parsed p = parse("[GRAPHICS]\nWINDOW_WIDTH = 800\nthis line is broken\nMAX_FPS = 30\n");
    EXPECT_EQ(p.config.windowWidth, 800u);
    EXPECT_EQ(p.config.maxFps, 30u);
    // The parse-error message is below the console filter, and success is not claimed.
    EXPECT_EQ(p.console, "");
}

TEST(Config, ValuesThatWouldBreakTheGameAreRejectedLoudly) {
    Parsed p = parse("[GRAPHICS]\nWINDOW_WIDTH = 0\nWINDOW_HEIGHT = 0\nMAX_FPS = 0\n"
                     "BLUR_ITERATIONS = -1\n");
    expectDefaults(p.config);
    EXPECT_TRUE(std::isfinite(p.config.aspectRatio));
    for (const char* key :
         {"WINDOW_WIDTH = 0", "WINDOW_HEIGHT = 0", "MAX_FPS = 0", "BLUR_ITERATIONS = -1"}) {
        EXPECT_NE(p.console.find(std::string("[ ERROR ]\tRejected ") + key), std::string::npos)
            << key << " in:\n"
            << p.console;
    }
    EXPECT_NE(p.console.find("Kelvaro.ini"), std::string::npos);
}

TEST(Config, NegativeAndOversizedCountsAreRejected) {
    Parsed p =
        parse("[GRAPHICS]\nMAX_FPS = -5\nWINDOW_WIDTH = 4294967296\nWINDOW_HEIGHT = 4294967295\n"
              "BLUR_ITERATIONS = 0\n");
    EXPECT_EQ(p.config.maxFps, 60u);
    EXPECT_EQ(p.config.windowWidth, 1920u);
    EXPECT_EQ(p.config.windowHeight, 1080u);
    EXPECT_EQ(p.config.blurIterations, 0u); // no blur is a valid choice
    EXPECT_NE(p.console.find("Rejected MAX_FPS = -5"), std::string::npos);
    EXPECT_NE(p.console.find("Rejected WINDOW_WIDTH = 4294967296"), std::string::npos);
    EXPECT_NE(p.console.find("Rejected WINDOW_HEIGHT = 4294967295"), std::string::npos);
}

// One bad value per file: each is rejected with one ERROR line that names the
// key and the file, and every setting keeps its default.
TEST(Config, ValuesOutsideTheirRangeAreRejectedOneByOne) {
    const char* lines[] = {
        "WINDOW_WIDTH = 2147483648", // beyond an int: the window system would abort
        "WINDOW_HEIGHT = 2147483648",
        "BLUR_ITERATIONS = 101", // the first frame would take minutes
        "BLUR_ITERATIONS = 100000",
        "FOV = 0",
        "FOV = 180",
        "FOV = -5",
        "FOV = inf",
        "FOV = nan",
        "FOV = 9.99",
        "BRIGHTNESS = nan",
        "BRIGHTNESS = 0",
        "BRIGHTNESS = -1",
        "BRIGHTNESS = 1e39", // beyond a float
        "DRAW_DISTANCE = inf",
        "DRAW_DISTANCE = -infinity",
        "DRAW_DISTANCE = 0",
        "DRAW_DISTANCE = 2e9",
        "RENDER_SCALE = 0.2", // more blur than picture
        "RENDER_SCALE = 2",
    };
    for (const char* line : lines) {
        Parsed p = parse(std::string("[GRAPHICS]\n") + line + "\n");
        expectDefaults(p.config);
        const std::string expected = std::string("[ ERROR ]\tRejected ") + line + " in ";
        EXPECT_EQ(p.console.find(expected), 0u) << line << " gave:\n" << p.console;
        EXPECT_NE(p.console.find("Kelvaro.ini"), std::string::npos) << p.console;
        EXPECT_NE(p.console.find("Keeping the default"), std::string::npos) << p.console;
        EXPECT_EQ(std::count(p.console.begin(), p.console.end(), '\n'), 2) << p.console;
    }
}

TEST(Config, ValuesAtTheEndsOfTheirRangesAreTaken) {
    struct Case {
        const char* ini;
        uint32_t width, height, blur;
        float fov, brightness, drawDistance;
    };
    const Case cases[] = {
        {"WINDOW_WIDTH = 1\nWINDOW_HEIGHT = 1\nBLUR_ITERATIONS = 0\nFOV = 10\nBRIGHTNESS = 0.1\n"
         "DRAW_DISTANCE = 20\n",
         1, 1, 0, 10.0f, 0.1f, 20.0f},
        {"WINDOW_WIDTH = 2147483647\nWINDOW_HEIGHT = 2147483647\nBLUR_ITERATIONS = 100\n"
         "FOV = 170\nBRIGHTNESS = 10\nDRAW_DISTANCE = 1e9\n",
         2147483647u, 2147483647u, 100, 170.0f, 10.0f, 1e9f},
    };
    for (const Case& c : cases) {
        Parsed p = parse(std::string("[GRAPHICS]\n") + c.ini);
        EXPECT_EQ(p.config.windowWidth, c.width);
        EXPECT_EQ(p.config.windowHeight, c.height);
        EXPECT_EQ(p.config.blurIterations, c.blur);
        EXPECT_FLOAT_EQ(p.config.fov, c.fov);
        EXPECT_FLOAT_EQ(p.config.brightness, c.brightness);
        EXPECT_FLOAT_EQ(p.config.drawDistance, c.drawDistance);
        EXPECT_EQ(p.console.find("ERROR"), std::string::npos) << p.console;
    }
}

TEST(Config, TheRejectionSaysWhatIsAllowedAndWhatIsKept) {
    const std::pair<const char*, const char*> cases[] = {
        {"DRAW_DISTANCE = inf",
         "Kelvaro.ini: it must be a number from 20 to 1000000000. Keeping the default 1000000.\n"},
        {"BLUR_ITERATIONS = 101",
         "Kelvaro.ini: it must be a whole number from 0 to 100. Keeping the default 25.\n"},
    };
    for (const auto& [line, expected] : cases) {
        std::string console = parse(std::string("[GRAPHICS]\n") + line + "\n").console;
        EXPECT_NE(console.find(expected), std::string::npos) << console;
    }
}

TEST(Config, TheVolumesAreReadFromTheSoundSectionWithinZeroToOne) {
    struct Case {
        const char* ini;
        float sound, music;
        const char* rejected; // the rejected line, or nullptr
    };
    const Case cases[] = {
        {"[SOUND]\nSOUND_VOLUME = 0.25\nMUSIC_VOLUME = 0\n", 0.25f, 0.0f, nullptr},
        {"[sound]\nsound_volume = 0\nmusic_volume = 1\n", 0.0f, 1.0f, nullptr},
        {"[SOUND]\nSOUND_VOLUME = 1.5\n", 1.0f, 0.5f, "SOUND_VOLUME = 1.5"},
        {"[SOUND]\nMUSIC_VOLUME = -0.1\n", 1.0f, 0.5f, "MUSIC_VOLUME = -0.1"},
        {"[SOUND]\nSOUND_VOLUME = loud\n", 1.0f, 0.5f, "SOUND_VOLUME = loud"},
        {"[SOUND]\nMUSIC_VOLUME = nan\n", 1.0f, 0.5f, "MUSIC_VOLUME = nan"},
        {"[GRAPHICS]\nSOUND_VOLUME = 0\n", 1.0f, 0.5f, nullptr}, // not its section
    };
    for (const Case& c : cases) {
        Parsed p = parse(c.ini);
        EXPECT_FLOAT_EQ(p.config.soundVolume, c.sound) << c.ini;
        EXPECT_FLOAT_EQ(p.config.musicVolume, c.music) << c.ini;
        if (c.rejected) {
            EXPECT_NE(p.console.find(std::string("[ ERROR ]\tRejected ") + c.rejected + " in "),
                      std::string::npos)
                << p.console;
            EXPECT_NE(p.console.find("it must be a number from 0 to 1."), std::string::npos)
                << p.console;
        } else {
            EXPECT_EQ(p.console.find("ERROR"), std::string::npos) << p.console;
        }
    }
}

TEST(Config, ThePlayersSettingsAreReadAndBadValuesNamed) {
    Parsed p = parse("[SOUND]\nMUTE = yes\n[CONTROLS]\nINVERT_PITCH = on\n[GRAPHICS]\n"
                     "SHOW_FPS = 1\nGLOW = false\nNORMAL_MAPS = off\nLEVEL_OF_DETAIL = 1\n");
    EXPECT_TRUE(p.config.muted);
    EXPECT_TRUE(p.config.invertPitch);
    EXPECT_TRUE(p.config.showFps);
    EXPECT_FALSE(p.config.glow);
    EXPECT_FALSE(p.config.normalMaps);
    EXPECT_EQ(p.config.levelOfDetail, 1);
    EXPECT_TRUE(p.config.keysSet.contains("LEVEL_OF_DETAIL"));
    Parsed bad = parse("[SOUND]\nMUTE = perhaps\n[GRAPHICS]\nLEVEL_OF_DETAIL = 4\n");
    EXPECT_FALSE(bad.config.muted);
    EXPECT_EQ(bad.config.levelOfDetail, 3);
    EXPECT_NE(bad.console.find("Rejected MUTE = perhaps in "), std::string::npos) << bad.console;
    EXPECT_NE(bad.console.find("it must be true or false. Keeping false."), std::string::npos);
    EXPECT_NE(bad.console.find("Rejected LEVEL_OF_DETAIL = 4 in "), std::string::npos);
}

TEST(Config, ASettingsPathThatIsNoRegularFileIsReportedNotRead) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "folder.ini");
    const std::string pipe = (dir.path() / "pipe.ini").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {(dir.path() / "folder.ini").string(), pipe}) {
        testing::internal::CaptureStdout();
        Config cfg = parseConfig(path); // a pipe with no writer would block here
        std::string console = testing::internal::GetCapturedStdout();
        expectDefaults(cfg);
        EXPECT_EQ(console, "[ ERROR ]\tSettings file " + path +
                               " is not a regular file. Using default values.\n");
    }
    // A file past the ceiling is no settings file: named, never read whole.
    const std::string huge = (dir.path() / "huge.ini").string();
    std::ofstream(huge) << "[GRAPHICS]\nMAX_FPS = 30\n" << std::string(MAX_SETTINGS_BYTES, ';');
    testing::internal::CaptureStdout();
    const Config cfg = parseConfig(huge);
    const std::string console = testing::internal::GetCapturedStdout();
    expectDefaults(cfg);
    EXPECT_EQ(console.rfind("[ ERROR ]\tSettings file " + huge + ": ", 0), 0u) << console;
}

TEST(Config, AWindowLargerThanTheDriverDrawsIsShrunkToTheDefault) {
    struct Case {
        uint32_t width, height;
        long maxFrameSize;
        uint32_t fittedWidth, fittedHeight;
        const char* rejected; // the key named, or nullptr
    };
    const Case cases[] = {
        {1920, 1080, 16384, 1920, 1080, nullptr},
        {16384, 16384, 16384, 16384, 16384, nullptr},
        {16385, 1080, 16384, 1920, 1080, "WINDOW_WIDTH = 16385"},
        {1280, 40000, 16384, 1280, 1080, "WINDOW_HEIGHT = 40000"},
        {3000, 2000, 1024, 1024, 1024, "WINDOW_WIDTH = 3000"}, // even the default is too big
    };
    for (const Case& c : cases) {
        Config cfg;
        cfg.windowWidth = c.width;
        cfg.windowHeight = c.height;
        testing::internal::CaptureStdout();
        bool changed = fitWindowToDriver(cfg, c.maxFrameSize, "res/config/Kelvaro.ini");
        std::string console = testing::internal::GetCapturedStdout();
        EXPECT_EQ(cfg.windowWidth, c.fittedWidth) << c.width;
        EXPECT_EQ(cfg.windowHeight, c.fittedHeight) << c.height;
        EXPECT_EQ(changed, c.rejected != nullptr);
        if (c.rejected) {
            EXPECT_EQ(console.find(std::string("[ ERROR ]\tRejected ") + c.rejected +
                                   " in res/config/Kelvaro.ini: the graphics driver"),
                      0u)
                << console;
            EXPECT_FLOAT_EQ(cfg.aspectRatio, float(c.fittedWidth) / float(c.fittedHeight));
        } else {
            EXPECT_EQ(console, "");
        }
    }
}

} // namespace

// The user's file over the shipped one: each key the user sets wins, every
// other key keeps the shipped value, and a value the user's file gets wrong
// keeps the shipped one too.
TEST(Config, TheUsersFileWinsKeyByKey) {
    struct Case {
        const char* user; // nullptr: no user file
        uint32_t width;
        float fov;
        uint32_t blur;
        bool fullscreen;
        const char* fovFile; // "shipped" or "user"
    };
    const Case cases[] = {
        {nullptr, 800, 60.0f, 25, false, "shipped"},
        {"[GRAPHICS]\n", 800, 60.0f, 25, false, "shipped"},
        {"[GRAPHICS]\nFOV = 75\n", 800, 75.0f, 25, false, "user"},
        {"[GRAPHICS]\nBLUR_ITERATIONS = 3\nFULLSCREEN_MODE = yes\n", 800, 60.0f, 3, true,
         "shipped"},
        {"[GRAPHICS]\nWINDOW_WIDTH = 1024\nFOV = 100\n", 1024, 100.0f, 25, false, "user"},
        {"[GRAPHICS]\nFOV = 500\nWINDOW_WIDTH = 640\n", 640, 60.0f, 25, false, "shipped"},
        {"[OTHER]\nFOV = 75\n", 800, 60.0f, 25, false, "shipped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user ? c.user : "(no user file)");
        TempDir dir;
        const std::string shipped =
            dir.write("shipped/Kelvaro.ini",
                      "[GRAPHICS]\nWINDOW_WIDTH = 800\nFOV = 60\nFULLSCREEN_MODE = no\n")
                .string();
        const std::string user = (dir.path() / "user/Kelvaro.ini").string();
        if (c.user) {
            dir.write("user/Kelvaro.ini", c.user);
        }
        testing::internal::CaptureStdout();
        const Config cfg = loadSettings(shipped, user);
        const std::string console = testing::internal::GetCapturedStdout();
        EXPECT_EQ(cfg.windowWidth, c.width);
        EXPECT_FLOAT_EQ(cfg.fov, c.fov);
        EXPECT_EQ(cfg.blurIterations, c.blur);
        EXPECT_EQ(cfg.fullscreenMode, c.fullscreen);
        EXPECT_EQ(cfg.keyFiles.at("FOV"), std::string(c.fovFile) == "user" ? user : shipped);
        EXPECT_EQ(cfg.keysSet.contains("BLUR_ITERATIONS"), c.blur != 25);
        EXPECT_FLOAT_EQ(cfg.aspectRatio, float(c.width) / 1080.0f);
        // A missing user file is not mentioned, and not made either.
        if (!c.user) {
            EXPECT_EQ(console.find(user), std::string::npos) << console;
            EXPECT_FALSE(std::filesystem::exists(dir.path() / "user"));
        }
        // A rejected value names the user's file and keeps the shipped value.
        if (c.user && std::string(c.user).find("FOV = 500") != std::string::npos) {
            EXPECT_NE(console.find("Rejected FOV = 500 in " + user +
                                   ": it must be a number from 10 to 170. Keeping the default 60."),
                      std::string::npos)
                << console;
        }
    }
}

TEST(Config, TheUsersFileIsInTheUsersConfigFolder) {
    ScopedEnvironment env;
    env.set("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(userConfigPath(), "/somewhere/config/kelvaro19/Kelvaro.ini");
    EXPECT_EQ(settingsFileToEdit(), userConfigPath());
    EXPECT_EQ(configPath(), "res/config/Kelvaro.ini");
}
