#include "game/Run.h"
#include "game/GameRules.h"
#include "game/Score.h"
#include "world/GameBodies.h"
#include "world/World.h"
#include "world/WorldStart.h"

#include "PhysicsFixtures.h"

#include <gtest/gtest.h>

using namespace physics_test;

namespace {

// A straight track along +z, built as the loader builds one: the ship, two
// cans and two rings, with the game's rules installed on it.
class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(PhysicsContext::instance().bodyCount(), 0u) << "a test left bodies behind";
        previous = PhysicsContext::instance().setCallback(std::make_unique<GameRules>(&world));
        world.objects.emplace_back(glm::vec3(0.0f), glm::quat(1, 0, 0, 0), glm::vec3(1.0f),
                                   "spaceshipNew.obj", ObjectKind::Ship, makeShip({0, 0, 0}));
        for (float z : {5.0f, 12.0f}) {
            world.objects.push_back(createTrash({0, 0, z}, glm::quat(1, 0, 0, 0), glm::vec3(1.0f),
                                                "tcan", boxHull({1, 1, 0.5f})));
        }
        for (float z : {20.0f, 30.0f}) {
            world.objects.push_back(createRing({0, 0, z}, glm::quat(1, 0, 0, 0), glm::vec3(1.0f),
                                               "ring_" + std::to_string(int(z)),
                                               boxHull({3, 3, 0.5f})));
        }
        world.remainingTrash = 2;
        world.currentRing = 3;
        start = std::make_unique<WorldStart>(world);
        bodies = PhysicsContext::instance().bodyCount();
    }
    void TearDown() override {
        world.objects.clear();
        PhysicsContext::instance().setCallback(std::move(previous));
    }
    void fly(::Run& run, float distance) {
        for (int i = 0; i < int(distance / STEP_DISTANCE) + 1 && run.state == GameState::Running;
             ++i) {
            run.step();
        }
    }
    int countKind(ObjectKind kind) const {
        return int(std::count_if(world.objects.begin(), world.objects.end(),
                                 [kind](const GameObject& o) { return o.kind == kind; }));
    }

    World world;
    std::unique_ptr<WorldStart> start;
    std::unique_ptr<CollisionCallback> previous;
    std::size_t bodies = 0;
};

TEST_F(RunTest, EveryStateLeavesAFreshRunOnTheSameWorld) {
    struct Case {
        const char* name;
        float distance;
        // Set by the keys after the flight (P, F9 back to Paused); the rules
        // set the others.
        std::optional<GameState> keyState;
        GameState reached;
        // The ring it was flying to, of 2.
        int32_t ring;
    };
    const Case cases[] = {
        {"running, one can collected", 7.0f, std::nullopt, GameState::Running, 1},
        {"paused after both cans", 15.0f, GameState::Paused, GameState::Paused, 1},
        {"finished", 40.0f, std::nullopt, GameState::Finished, 2},
        {"game over", 22.0f, GameState::GameOver, GameState::GameOver, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            ::Run first(world, *start);
            fly(first, c.distance);
            if (c.keyState) {
                first.state = *c.keyState;
            }
            ASSERT_EQ(first.state, c.reached);
            EXPECT_EQ(first.ringProgress().next, c.ring);
            EXPECT_EQ(first.ringProgress().total, 2);
            ASSERT_GT(first.clock(), 0.0);
            ASSERT_GT(world.collectedTrash, 0);
        }
        ::Run again(world, *start);
        EXPECT_EQ(again.state, GameState::Running);
        EXPECT_EQ(again.clock(), 0.0);
        EXPECT_EQ(again.points(), 0);
        EXPECT_EQ(world.collectedTrash, 0);
        EXPECT_EQ(world.remainingTrash, 2);
        EXPECT_EQ(world.currentRing, 3);
        EXPECT_EQ(again.ringProgress().next, 1);
        EXPECT_TRUE(world.removalQueue.empty());
        EXPECT_EQ(countKind(ObjectKind::Trash), 2);
        EXPECT_EQ(PhysicsContext::instance().bodyCount(), bodies);
        ASSERT_NE(again.ship(), nullptr);
        EXPECT_EQ(again.ship()->getPosition(), glm::vec3(0.0f));
        EXPECT_EQ(again.ship()->actor->position(), glm::vec3(0.0f));
        EXPECT_EQ(again.ship()->actor->angularVelocity(), glm::vec3(0.0f));
        EXPECT_EQ(world.gameStatePtr, &again.state);
        // The cans of the first run are back, in their places and collectable.
        fly(again, 7.0f);
        EXPECT_EQ(world.collectedTrash, 1);
        fly(again, 40.0f);
        EXPECT_EQ(again.state, GameState::Finished);
        EXPECT_EQ(world.collectedTrash, 2);
        EXPECT_EQ(again.points(), computeScore(2, again.clock()));
    }
}

TEST_F(RunTest, ACanComesBackInItsPlaceInTheList) {
    std::vector<ObjectKind> order;
    for (const GameObject& o : world.objects) {
        order.push_back(o.kind);
    }
    {
        ::Run first(world, *start);
        fly(first, 15.0f);
        world.processRemovals();
        ASSERT_EQ(countKind(ObjectKind::Trash), 0);
    }
    ::Run again(world, *start);
    std::vector<ObjectKind> after;
    for (const GameObject& o : world.objects) {
        after.push_back(o.kind);
    }
    EXPECT_EQ(after, order);
    EXPECT_EQ(std::next(world.objects.begin(), 2)->getPosition(), glm::vec3(0, 0, 12));
}

// The clock counts the steps flown: a flight ends on the step that passes
// the last ring, whatever the frame rate grouped the steps into passes.
TEST_F(RunTest, TheTimeIsTheStepsFlownWhateverTheFrameRate) {
    std::optional<int64_t> finishStep;
    for (int stepsPerPass : {144, 12, 2, 1}) { // 1, 12, 72 and 144 frames a second
        SCOPED_TRACE(stepsPerPass);
        ::Run run(world, *start);
        while (run.state == GameState::Running && run.steps() < 10000) {
            for (int i = 0; i < stepsPerPass && run.state == GameState::Running; ++i) {
                run.step();
            }
        }
        ASSERT_EQ(run.state, GameState::Finished);
        EXPECT_EQ(run.clock(), double(run.steps()) / 144.0);
        // 30 m at 35 m/s: the step that reaches the last ring, not the pass.
        EXPECT_NEAR(run.clock(), 30.0 / 35.0, 0.05);
        if (finishStep) {
            EXPECT_EQ(run.steps(), *finishStep);
        }
        finishStep = run.steps();
    }
}

TEST_F(RunTest, ADroppedRunNoLongerWritesTheState) {
    auto run = std::make_unique<::Run>(world, *start);
    EXPECT_EQ(world.gameStatePtr, &run->state);
    run.reset();
    EXPECT_EQ(world.gameStatePtr, nullptr);
}

} // namespace
