#pragma once

#include <array>

// The animals a recording can be of, in the order of the details dialog's chooser and of the
// file's species byte. Unknown is a recording whose species nobody entered.
enum class Species { Unknown, Dog, Cat, Horse, Other };

// Resting reference ranges a vet judges a reading against. A range with lo > hi is unknown.
// Heart rate in beats per minute, mean electrical axis in degrees.
struct SpeciesReference {
    Species species;
    const char* name;
    int nRateLo, nRateHi;
    int nAxisLo, nAxisHi;
};

// Nelson & Couto, Small Animal Internal Medicine (6th ed.), table 2.4, for dogs and cats;
// horses about 28 to 44 bpm at rest, with no axis range in common use.
constexpr std::array<SpeciesReference, 5> kSpeciesReferences = {{
    {Species::Unknown, "", 1, 0, 1, 0},
    {Species::Dog, "Dog", 60, 160, 40, 100},
    {Species::Cat, "Cat", 140, 240, 0, 160},
    {Species::Horse, "Horse", 28, 44, 1, 0},
    {Species::Other, "Other", 1, 0, 1, 0},
}};

// The row of a species, safe for any value a file or chooser might hold (Unknown otherwise).
constexpr const SpeciesReference& ReferenceOf(Species species) {
    for (const SpeciesReference& r : kSpeciesReferences)
        if (r.species == species)
            return r;
    return kSpeciesReferences[0];
}
