#pragma once

#include "GlWindow.h"
#include "LevelWriter.h"
#include "TempDir.h"

#include <optional>

// A GL test run in a temporary game folder that holds the test ship in
// res/assets/models/ and an empty res/assets/textures/, for levels the test
// writes itself.
class LevelFolderTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        cwd.emplace(folder.path());
        writeTestShip(folder.path() / "res/assets/models");
        std::filesystem::create_directories(folder.path() / "res/assets/textures");
    }

    TempDir folder;
    std::optional<ScopedWorkingDir> cwd;
};
