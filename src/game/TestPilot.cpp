#include "game/TestPilot.h"

#include "game/TestPilotTurn.h"

#include "core/GameState.h"
#include "core/LoopScheduler.h"
#include "game/GameRules.h"
#include "game/Input.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"
#include "world/World.h"
#include "world/WorldStart.h"

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

using Mode = PilotOptions::Mode;

constexpr uint64_t PERFECT_STEPS_PER_DECISION = 2;
// How much of its aim error a player keeps from one look to the next.
constexpr float AIM_MEMORY = 0.85f;
// Crossings of a ring's plane beside its opening before the ring counts as
// missed for good.
constexpr int32_t MAX_MISSES = 3;

// Steps from a player's look at `step` to its next: looks fall on whole
// intervals of flying time.
uint64_t lookSteps(uint64_t step, double interval) {
    const double now = double(step) * double(PHYSICS_STEP);
    const double nextLook = (std::floor(now / interval + 1e-9) + 1.0) * interval;
    return std::max<uint64_t>(1,
                              uint64_t(std::ceil(nextLook / double(PHYSICS_STEP) - 1e-9)) - step);
}

uint64_t stepsOf(double seconds) {
    return uint64_t(std::lround(seconds / double(PHYSICS_STEP)));
}

std::string oneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// A number from 0 to 1 out of the generator's raw output: the standard
// distributions differ between libraries, and a check must not.
float unit(std::mt19937& random) {
    return float(random() >> 8) / float(1u << 24);
}

// The game's rules, noting the first obstacle the ship touches.
class PilotRules : public GameRules {
public:
    PilotRules(World* world, std::optional<std::string>& hit) : GameRules(world), hit_(hit) {}

    void onContact(const ContactPairHeader& header, const ContactPair* pairs,
                   uint32_t count) override {
        for (uint32_t i = 0; i < count && !hit_; ++i) {
            if (!pairs[i].touchFound()) {
                continue;
            }
            for (RigidBody* body : header.bodies) {
                const GameObject* object = body ? body->userData() : nullptr;
                if (object && object->kind != ObjectKind::Ship) {
                    hit_ = designerName(object->name);
                }
            }
        }
        GameRules::onContact(header, pairs, count);
    }

private:
    std::optional<std::string>& hit_;
};

GameObject* ringAt(World& world) {
    const int32_t position = world.currentRing;
    if (position < 0 || position >= int32_t(world.objects.size())) {
        return nullptr;
    }
    return &*std::next(world.objects.begin(), position);
}

} // namespace

std::vector<PilotOptions> playerPilots() {
    // Reaction time, look interval and aim spread (degrees) of each: a
    // quick steady player to a slow unsteady one, mixed so that no figure
    // alone decides.
    struct Person {
        double reaction;
        double look;
        float aimDegrees;
    };
    static const Person PEOPLE[] = {
        {0.20, 0.10, 0.4}, {0.22, 0.14, 0.8}, {0.24, 0.08, 1.2}, {0.26, 0.12, 0.6},
        {0.28, 0.10, 1.0}, {0.30, 0.14, 0.5}, {0.32, 0.08, 0.9}, {0.35, 0.12, 1.2},
    };
    std::vector<PilotOptions> pilots;
    uint32_t seed = 19;
    for (const Person& person : PEOPLE) {
        PilotOptions options;
        options.mode = Mode::Player;
        options.reactionDelay = person.reaction;
        options.lookInterval = person.look;
        options.aimError = glm::radians(person.aimDegrees);
        options.seed = seed++;
        pilots.push_back(options);
    }
    return pilots;
}

std::string PilotReport::line() const {
    switch (outcome) {
    case Outcome::Finished: {
        std::string text = "FINISHED " + std::to_string(ringsPassed) + "/" +
                           std::to_string(ringCount) + " rings in " + oneDecimal(seconds) + " s, " +
                           std::to_string(cansCollected) + "/" + std::to_string(canCount) +
                           " cans, closest approach ";
        if (std::isinf(closestApproach)) {
            return text + "none (no obstacles)";
        }
        return text + oneDecimal(closestApproach) + " m (" + closestObject + " at " +
               oneDecimal(closestAt) + " s)";
    }
    case Outcome::Missed:
        return "NOT FINISHED: missed " + object + " at " + oneDecimal(seconds) + " s (" +
               (missedBy > 0.0f
                    ? "passed " + oneDecimal(missedBy) + " m outside its opening" +
                          (misses > 1 ? " on each of " + std::to_string(misses) + " tries"
                                      : std::string())
                    : std::string("passed its opening without touching its "
                                  "collision shape")) +
               ")";
    case Outcome::Hit:
        return "NOT FINISHED: hit " + object + " at " + oneDecimal(seconds) + " s";
    case Outcome::Unpassable:
        return "NOT FINISHED: " + object + " cannot be passed at " + oneDecimal(seconds) +
               " s (it has no collision shape)";
    case Outcome::GaveUp:
        return "NOT FINISHED: the checker gave up at " + object + " after " +
               oneDecimal(secondsOnRing) + " s of trying to reach it (" + std::to_string(misses) +
               (misses == 1 ? " try" : " tries") + " beside its opening, " + oneDecimal(seconds) +
               " s into the flight)";
    case Outcome::NoRing:
        return "NOT FINISHED: the level has no ring to fly through";
    case Outcome::NoShip:
        return "NOT FINISHED: the level has no ship (no \"Camera\" node)";
    }
    return "NOT FINISHED";
}

TestFlight::TestFlight(World& world, const WorldStart& start, const PilotOptions& options)
    : world_(world), options_(options), run_(world, start), surfaces_(obstacleSurfaces(world)),
      sight_(surfaces_, options.mode == Mode::Perfect), planner_(world, sight_),
      random_(options.seed) {
    ship_ = run_.ship();
    for (const GameObject& object : world_.objects) {
        report_.ringCount += object.kind == ObjectKind::Ring;
    }
    ringsBefore_ = report_.ringCount;
    report_.canCount = world_.remainingTrash + world_.collectedTrash;
    if (!ship_ || !ship_->actor) {
        report_.outcome = PilotReport::Outcome::NoShip;
        over_ = true;
        return;
    }
    if (world_.currentRing < 0 || report_.ringCount == 0) {
        report_.outcome = PilotReport::Outcome::NoRing;
        over_ = true;
        return;
    }
    previousRules_ =
        PhysicsContext::instance().setCallback(std::make_unique<PilotRules>(&world_, hit_));
    damping_ = ship_->actor->angularDamping();
    oneKeyRate_ = steadyTurnRate(damping_);
    // A player's keys act a reaction time after the look that chose them.
    delaySteps_ = options_.mode == Mode::Player ? stepsOf(options_.reactionDelay) : 0;
    planner_.setHandling({oneKeyRate_, damping_,
                          options_.mode == Mode::Player
                              ? stepsOf(options_.lookInterval)
                              : stepsOf(PilotOptions::PLAYER_REACTION_INTERVAL),
                          delaySteps_});
    start_ = ship_->getPosition();
    startHeading_ = ship_->getRotation() * glm::vec3(0, 0, 1);
    passes_.reserve(size_t(report_.ringCount));
}

TestFlight::~TestFlight() {
    if (previousRules_) {
        PhysicsContext::instance().setCallback(std::move(previousRules_));
    }
}

double TestFlight::seconds() const {
    return double(steps_) * double(PHYSICS_STEP);
}

GameObject* TestFlight::nextRing() {
    if (world_.currentRing != ringPosition_ || world_.objects.size() != listSize_) {
        ringPosition_ = world_.currentRing;
        listSize_ = world_.objects.size();
        nextRing_ = ringAt(world_);
    }
    return nextRing_;
}

void TestFlight::look() {
    const bool player = options_.mode == Mode::Player;
    const pilot::ShipView view{ship_->getPosition(), ship_->getRotation(),
                               ship_->actor->angularVelocity()};
    // A player sees the ship now and chooses keys that act a reaction time
    // later, so it judges where the ship will be by then.
    const pilot::ShipView expected =
        player ? pilot::predict(view, run_.control, pending_, steps_, delaySteps_, damping_) : view;
    const std::vector<const ObstacleSurface*>& seen = sight_.seenFrom(expected);
    glm::vec3 goal = attempt_.goal(expected, SHIP_SPEED / oneKeyRate_);
    // A player thinks a line through the next ring over about as often as
    // it looks, and keeps to it in between.
    if (steps_ >= nextPlan_ || plannedFor_ != attempt_.ring) {
        plan_ = planner_.plan(attempt_, expected, seen);
        nextPlan_ = steps_ + stepsOf(PilotOptions::PLAYER_REACTION_INTERVAL);
        plannedFor_ = attempt_.ring;
    }
    if (plan_) {
        goal = plan_->aim(expected.position);
    }
    if (options_.aimError > 0.0f) {
        // Off by a little, the error drifting from look to look as a
        // person's judgement does (a sum of uniform numbers is near enough
        // a bell curve); the rocks it sees it still steers around.
        const glm::vec2 fresh(unit(random_) + unit(random_) - 1.0f,
                              unit(random_) + unit(random_) - 1.0f);
        aimDrift_ = AIM_MEMORY * aimDrift_ + (1.0f - AIM_MEMORY) * 4.0f * options_.aimError * fresh;
        const glm::vec3 line = goal - expected.position;
        const float length = glm::length(line);
        if (length > 1e-3f) {
            const glm::vec3 off = aimDrift_.x * expected.up() + aimDrift_.y * expected.left();
            goal = expected.position + length * glm::normalize(line / length + off);
        }
    }
    const glm::vec3 aim = pilot::aimPoint(expected.position, goal, expected.up(), seen);
    ShipControl keys = pilot::steer(expected, aim, oneKeyRate_, plan_.has_value());
    keys.ship = ship_;
    keys = pilot::dodgeRocks(expected, keys, seen, damping_);
    pending_.emplace_back(steps_ + delaySteps_, keys);
    nextLook_ = player ? steps_ + lookSteps(steps_, options_.lookInterval)
                       : steps_ + PERFECT_STEPS_PER_DECISION;
}

bool TestFlight::step() {
    if (over_) {
        return false;
    }
    attempt_.follow(nextRing(), ship_->getPosition(), steps_);
    if (attempt_.ring && (!attempt_.ring->actor || attempt_.ring->actor->shapeCount() == 0)) {
        report_.outcome = PilotReport::Outcome::Unpassable;
        report_.object = designerName(attempt_.ring->name);
        end();
        return false;
    }
    if (!attempt_.ring || run_.state != GameState::Running) {
        end();
        return false;
    }
    if (steps_ - attempt_.startStep > attempt_.stepLimit) {
        report_.outcome = PilotReport::Outcome::GaveUp;
        end();
        return false;
    }
    if (options_.longest > 0.0 && seconds() >= options_.longest) {
        report_.outcome = PilotReport::Outcome::GaveUp;
        end();
        return false;
    }
    if (options_.held) {
        run_.control.pitch = options_.held->pitch;
        run_.control.roll = options_.held->roll;
        run_.control.yaw = options_.held->yaw;
    } else if (steps_ == nextLook_) {
        look();
    }
    while (!pending_.empty() && pending_.front().first <= steps_) {
        const ShipControl& keys = pending_.front().second;
        run_.control.pitch = keys.pitch;
        run_.control.roll = keys.roll;
        run_.control.yaw = keys.yaw;
        pending_.pop_front();
    }
    const glm::vec3 before = ship_->getPosition();
    run_.step();
    ++steps_;
    watch(before);
    if (run_.state != GameState::Running) {
        end();
        return false;
    }
    return !over_;
}

// What the step did: the way flown, a ring passed, the obstacles near, and a
// ring's plane crossed beside its opening.
void TestFlight::watch(const glm::vec3& before) {
    const glm::vec3 position = ship_->getPosition();
    report_.metres += double(glm::length(position - before));
    if (nextRing() != attempt_.ring || run_.state == GameState::Finished) {
        passes_.push_back(position);
        planner_.passed(plan_.has_value());
        const glm::vec3 from = passes_.size() > 1 ? passes_[passes_.size() - 2] : start_;
        const glm::vec3 middle =
            attempt_.opening ? attempt_.opening->centre : attempt_.ring->getPosition();
        report_.legs.push_back({designerName(attempt_.ring->name), seconds() - lastPassAt_,
                                double(glm::length(middle - from)) / double(SHIP_SPEED),
                                attempt_.misses});
        lastPassAt_ = seconds();
    }
    const bool turning = glm::length(ship_->actor->angularVelocity()) > PilotReport::TURNING;
    for (const ObstacleSurface& surface : surfaces_) {
        const float bound = glm::length(position - surface.centre) - surface.radius;
        if (bound >= report_.closestApproach && bound >= PilotReport::NEAR_OBSTACLE &&
            (!turning || bound >= report_.steeringApproach)) {
            continue;
        }
        const float distance = surface.distanceTo(position);
        if (distance < PilotReport::NEAR_OBSTACLE) {
            near_.insert(surface.object);
            if (turning) {
                nearInTurns_.insert(surface.object);
            }
        }
        if (turning) {
            report_.steeringApproach = std::min(report_.steeringApproach, distance);
        }
        if (distance < report_.closestApproach) {
            report_.closestApproach = distance;
            report_.closestObject = designerName(surface.object->name);
            report_.closestAt = seconds();
        }
    }
    if (run_.state == GameState::Running && nextRing() == attempt_.ring &&
        attempt_.crossed(position)) {
        const float missedBy =
            std::max(0.0f, attempt_.crossedAt.value_or(0.0f) - attempt_.opening->radius);
        report_.missedBy = missedBy;
        // Through the opening without counting: no second try will count.
        if (missedBy <= 0.0f || attempt_.misses + 1 >= MAX_MISSES) {
            report_.outcome = PilotReport::Outcome::Missed;
            report_.misses = attempt_.misses + (missedBy > 0.0f);
            report_.object = designerName(attempt_.ring->name);
            end();
            return;
        }
        attempt_.retry();
    }
}

void TestFlight::end() {
    if (over_) {
        return;
    }
    over_ = true;
    report_.steps = steps_;
    report_.seconds = seconds();
    report_.cansCollected = world_.collectedTrash;
    report_.obstaclesNear = int32_t(near_.size());
    report_.obstaclesNearInTurns = int32_t(nearInTurns_.size());
    report_.sharpestTurn =
        sharpestTurnShare(start_, startHeading_, passes_, SHIP_SPEED, bestTurnRate(damping_));
    const int32_t ringsLeft = int32_t(world_.objects.size()) - world_.currentRing;
    report_.ringsPassed =
        run_.state == GameState::Finished ? ringsBefore_ : ringsBefore_ - ringsLeft;
    if (run_.state == GameState::Finished) {
        report_.outcome = PilotReport::Outcome::Finished;
    } else if (run_.state == GameState::GameOver) {
        report_.outcome = PilotReport::Outcome::Hit;
        report_.object = hit_.value_or("an obstacle");
    } else if (report_.outcome == PilotReport::Outcome::GaveUp) {
        report_.object = attempt_.ring ? designerName(attempt_.ring->name) : "the next ring";
        report_.misses = attempt_.misses;
        report_.secondsOnRing = double(steps_ - attempt_.startStep) * double(PHYSICS_STEP);
    }
}

PilotReport TestFlight::fly(const std::function<void(double seconds)>& afterStep) {
    while (!over_) {
        const uint64_t before = steps_;
        step();
        if (afterStep && steps_ != before) {
            afterStep(seconds());
        }
    }
    return report_;
}

PilotReport TestFlight::report() const {
    return report_;
}

PilotReport flyTrack(World& world, const PilotOptions& options,
                     const std::function<void(double seconds)>& afterStep) {
    const WorldStart start(world);
    TestFlight flight(world, start, options);
    return flight.fly(afterStep);
}
