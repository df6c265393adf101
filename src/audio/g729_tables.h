#pragma once
// Constant tables of the G.729 / Annex D decoder. Generated once from the standard's
// tables; edit with care, the values are the standard's own.

#include <cstdint>

// The tables keep the layout of the standard.
// clang-format off
namespace quillon::audio::g729 {

// First-stage LSF codebook, 128 x 10, Q13.
extern const int16_t kLspCodebook1[128][10];
// Second-stage LSF codebook, 32 x 10 (columns 0-4 low half, 5-9 high half), Q13.
extern const int16_t kLspCodebook2[32][10];
// MA predictor of the LSF quantiser, 2 modes x 4 past frames x 10 (rows 0-3 mode 0), Q15.
extern const int16_t kLspMaPredictor[8][10];
// 1 - sum of the MA predictor per mode, 2 x 10, Q15.
extern const int16_t kLspMaPredictorSum[2][10];
// cos(i*pi/64), i = 0..64, Q15.
extern const int16_t kLspCosTable[65];
// Slope of the cosine table between entries, 64, Q19.
extern const int32_t kLspCosSlope[64];
// 1/3-resolution interpolation filter of the adaptive codebook, 31 taps, Q15.
extern const int16_t kInterp3[31];
// MA coefficients of the code-gain predictor, Q13.
extern const int16_t kGainPredictor[4];
// Initial past quantised energies, Q10 dB.
extern const int16_t kGainInitialEnergies[4];
// 6.4 kbit/s stage-1 gain codebook, stored order, 8 x 2 (pitch gain, code-gain correction), Q14.
extern const int16_t kGainCodebook1[8][2];
// 6.4 kbit/s stage-2 gain codebook, stored order, 8 x 2 (pitch gain, code-gain correction), Q14.
extern const int16_t kGainCodebook2[8][2];
// Stored stage-1 row to the index a standard 6.4 kbit/s frame transmits.
extern const uint8_t kGainMap1[8];
// Stored stage-2 row to the index a standard 6.4 kbit/s frame transmits.
extern const uint8_t kGainMap2[8];
// Gray encoding of the pulse position codes of a standard 6.4 kbit/s frame.
extern const uint8_t kGrayEncode[32];
// Phase dispersion impulse response, strong (state 0), Q15.
extern const int16_t kPhaseDispersionLow[40];
// Phase dispersion impulse response, medium (state 1), Q15.
extern const int16_t kPhaseDispersionMid[40];
// Long-term postfilter 1/8 interpolation, short, 7 phases x 4 taps, Q15.
extern const int16_t kPostInterpShort[7][4];
// Long-term postfilter 1/8 interpolation, long, 7 phases x 16 taps, Q15.
extern const int16_t kPostInterpLong[7][16];
// 100 Hz high-pass: b0 b1 b2, then a0 a1 a2 (a1, a2 sign-inverted), Q13.
extern const int16_t kHighPass[2][3];
// 2^(i/32), i = 0..32, Q14.
extern const int16_t kPow2Table[33];
// log2(1 + i/32), i = 0..32, Q15.
extern const int16_t kLog2Table[33];
// LSPs of the frame before the first one, Q15.
extern const int16_t kLspInitial[10];
// Initial content of each MA predictor memory frame, Q13.
extern const int16_t kLsfInitialMemory[10];

}  // namespace quillon::audio::g729
// clang-format on
