#pragma once
// The closest-size search over a device's capabilities. Each capability offers the widths from
// minWidth to maxWidth in steps of widthStep and the heights likewise (a single size has equal
// bounds). The search takes, per capability, the width and the height nearest to the requested
// ones (separately, the first nearest winning), stops at a capability that offers both exactly,
// and otherwise keeps the capability whose nearest pair has the strictly smallest sum of
// distances, starting from 9 999 999 x 9 999 999.
#include <vector>

namespace vantor::camera {

struct SizeRange {
    int minWidth = 0;
    int maxWidth = 0;
    int widthStep = 1;
    int minHeight = 0;
    int maxHeight = 0;
    int heightStep = 1;
};

struct SizeChoice {
    int capability = -1;  // index into the list; -1 when the list offered nothing
    int width = 0;
    int height = 0;
    bool exact = false;
};

inline constexpr int kNoSizeYet = 9999999;

// The value of min, min + step, ... (not above max) nearest to requested; on a tie the smaller,
// which a walk from min upwards meets first. A step of 0 or less offers min only.
int NearestStepValue(int requested, int min, int max, int step);

SizeChoice FindClosestSize(const std::vector<SizeRange>& capabilities, int width, int height);

}  // namespace vantor::camera
