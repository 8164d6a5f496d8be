#pragma once

// The value of every map comune (selected cards counted per comune and summed per aggregation
// unit) and its class 1..8 (0 for a zero drawn white) between the seven limits of
// MapClassThresholds.

namespace qv {

// MapCardCounts[t] = selected cards of territory code t (0..8250) by the prepared per-card
// codes ("ter-dat.dat", optional: all 0 without it) over cards 0..L of "dli-dat.dat"
// (required). Codes outside 0..8250 are not counted.
void CountCardsPerComune();

// Folds MapCardCounts from territory codes into map comuni through "kel-trad.dat". The cards of
// a code that names no map comune are counted with the cards without comune (entry 0).
void AggregateByTranslation();

// MapValues per aggregation unit from the active comuni 1..ValueCount; MapState.ValueTotal the
// cards of the active comuni plus those without comune; MapState.ValueDecimals 0.
void ComputeMapValues();

// The seven limits by octiles of the nonzero values (ClassMode 2) and by mean and standard
// deviation (ClassMode 3).
void ComputeOctileLimits();
void ComputeMeanSdLimits();

// Class of a value: 1, or k + 1 for the last set limit k that the value reaches.
int ClassOfValue(double value);

// Limits for ClassMode (manual limits stay), then MapClassOf of comuni 1..ComuneCount.
void AssignMapClasses();

}  // namespace qv
