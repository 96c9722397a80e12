// The capture window's states: what the table lets a guest reach and what it must refuse.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>
#include "capture/capture_state.h"

namespace {

using State = CaptureState;
using Event = CaptureEvent;

constexpr std::array kStates{State::Live, State::Captured, State::Recording, State::SaveAnimation,
                             State::Closed};
constexpr std::array kEvents{Event::PhotoTaken, Event::RecordingStarted, Event::RecordingEnded,
                             Event::Saved,      Event::AnimationEnded,   Event::Discarded,
                             Event::Left};

// The states reachable from `start` by steps of the table.
std::set<State> ReachableFrom(State start) {
    std::set<State> seen{start};
    std::vector<State> open{start};
    while (!open.empty()) {
        const State from = open.back();
        open.pop_back();
        for (const Event event : kEvents) {
            if (const auto to = NextCaptureState(from, event); to && seen.insert(*to).second) {
                open.push_back(*to);
            }
        }
    }
    return seen;
}

TEST(CaptureStateTable, EveryStateIsReachedAndEveryOpenStateLeadsBackToTheLivePicture) {
    EXPECT_EQ(ReachableFrom(State::Live).size(), kStates.size());
    for (const State state : kStates) {
        if (state != State::Closed) {
            EXPECT_TRUE(ReachableFrom(state).contains(State::Live))
                << "stuck in state " << static_cast<int>(state);
            EXPECT_EQ(NextCaptureState(state, Event::Left), State::Closed) << static_cast<int>(state);
        }
    }
    EXPECT_EQ(ReachableFrom(State::Closed), std::set<State>{State::Closed});
    // One answer for each state and event: a second row would never be read.
    for (std::size_t i = 0; i < std::size(kCaptureTransitions); ++i) {
        for (std::size_t j = i + 1; j < std::size(kCaptureTransitions); ++j) {
            EXPECT_FALSE(kCaptureTransitions[i].from == kCaptureTransitions[j].from &&
                         kCaptureTransitions[i].event == kCaptureTransitions[j].event)
                << "rows " << i << " and " << j;
        }
    }
}

TEST(CaptureStateTable, APhotoOnlyFromTheLivePictureAndOneAnimationPerSave) {
    for (const State state : kStates) {
        EXPECT_EQ(NextCaptureState(state, Event::PhotoTaken).has_value(), state == State::Live)
            << static_cast<int>(state);
        // A save needs a photo on screen: the animation never starts over itself.
        EXPECT_EQ(NextCaptureState(state, Event::Saved).has_value(),
                  state == State::Captured || state == State::Recording)
            << static_cast<int>(state);
        // A late end message never brings the live picture back over a photo.
        EXPECT_EQ(NextCaptureState(state, Event::AnimationEnded).has_value(), state == State::SaveAnimation)
            << static_cast<int>(state);
    }
}

TEST(CaptureStateTable, AGuestsWayThroughTheWindow) {
    CaptureFlow flow;
    EXPECT_FALSE(flow.Apply(Event::RecordingStarted)) << "no voice message without a photo";
    EXPECT_TRUE(flow.Apply(Event::PhotoTaken));
    EXPECT_TRUE(flow.Apply(Event::RecordingStarted));
    EXPECT_FALSE(flow.Apply(Event::RecordingStarted));
    EXPECT_TRUE(flow.HasPhoto());
    EXPECT_TRUE(flow.Apply(Event::Saved));
    EXPECT_EQ(flow.State(), State::SaveAnimation);
    EXPECT_FALSE(flow.HasPhoto());
    // The next guest presses while the animation plays: refused, and the state stays.
    EXPECT_FALSE(flow.Apply(Event::PhotoTaken));
    EXPECT_FALSE(flow.Apply(Event::Discarded));
    EXPECT_EQ(flow.State(), State::SaveAnimation);
    EXPECT_TRUE(flow.Apply(Event::AnimationEnded));
    EXPECT_TRUE(flow.Allows(Event::PhotoTaken));
}

}  // namespace
