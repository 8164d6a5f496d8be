#pragma once
// Field numbers of the sample archive "Pianalto" (data/progdir/Pianalto/scheda.txt), for the
// tests that drive the program on it.
namespace qv::test::sample {

inline constexpr int kName = 1;         // text of 40
inline constexpr int kPhone = 2;        // text of 15
inline constexpr int kSex = 3;          // 1 maschio, 2 femmina
inline constexpr int kBirth = 4;        // date
inline constexpr int kComune = 5;       // municipality
inline constexpr int kMarital = 6;      // five categories
inline constexpr int kStudy = 7;        // five categories
inline constexpr int kSpouseStudy = 8;  // sharing the list of kStudy
inline constexpr int kHousehold = 9;    // 16-bit number
inline constexpr int kIncome = 10;      // 32-bit number
inline constexpr int kTime = 16;        // time
inline constexpr int kPercentage = 17;  // percentage

}  // namespace qv::test::sample
