#pragma once

#include "LevelWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <optional>

// A test run without a window in a temporary game folder that holds the test
// ship in res/assets/models/ and an empty res/assets/textures/, for levels the
// test writes itself and reads without handing anything to OpenGL.
class LevelFolder : public testing::Test {
protected:
    void SetUp() override {
        cwd.emplace(folder.path());
        writeTestShip(folder.path() / "res/assets/models");
        std::filesystem::create_directories(folder.path() / "res/assets/textures");
    }

    TempDir folder;
    std::optional<ScopedWorkingDir> cwd;
};
