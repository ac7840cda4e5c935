#pragma once

#include <array>

// Lead names in the order of the rings, records, file blocks, chooser and labels. Entries 6
// to 11 are the 12-lead stream's further channels.
constexpr int kLimbLeadCount = 6;
constexpr int kStreamChannelCount = 12;
constexpr std::array<const char*, kStreamChannelCount> kLeadNames = {
    "I", "II", "III", "aVR", "aVL", "aVF", "V1", "V2", "V3", "V4", "V5", "V6"};
constexpr int kLeadII = 1;

// A limb lead index that is safe to use in the six-lead tables: anything outside 0 to 5
// (a chooser with no selection, a damaged file) is shown as lead II.
constexpr int SafeLimbLead(int nLead) {
    return (nLead >= 0 && nLead < kLimbLeadCount) ? nLead : kLeadII;
}

// Filter classes in the order of the filter chooser. A cutoff of 0.0 means unfiltered.
struct FilterClass {
    const char* label;
    double cutoff;
};
constexpr std::array<FilterClass, 3> kFilterClasses = {{
    {"Unfiltered", 0.0},
    {"100Hz", 100.0},
    {"40Hz", 40.0},
}};

// The cutoff of a chooser selection; no selection (or any other index) is unfiltered.
constexpr double CutoffOfClass(int nClass) {
    return (nClass >= 0 && nClass < int(kFilterClasses.size())) ? kFilterClasses[nClass].cutoff
                                                                : 0.0;
}

// The class whose cutoff equals `cutoff` exactly, searched from the last class to the first;
// -1 when none matches.
constexpr int ClassOfCutoff(double cutoff) {
    for (int i = int(kFilterClasses.size()) - 1; i >= 0; --i)
        if (kFilterClasses[i].cutoff == cutoff)
            return i;
    return -1;
}
