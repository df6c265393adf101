#include "audio/g729d_decoder.h"

#include <algorithm>
#include <cmath>

#include "audio/g729_tables.h"

namespace quillon::audio {
namespace {

using namespace g729;

constexpr int kOrder = 10;
constexpr int kSub = G729dDecoder::kSubframe;
constexpr int kExtra = 8;  // fraction bits beyond the standard's fixed point
// Signals stay far inside 32 bits so that 64-bit sums of products cannot overflow.
constexpr std::int64_t kSignalLimit = (std::int64_t{1} << 27) - 1;

std::int32_t ClampSignal(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -kSignalLimit, kSignalLimit));
}

std::int64_t RoundShift(std::int64_t v, int shift) { return (v + (std::int64_t{1} << (shift - 1))) >> shift; }

// log2(x) in Q16 for x > 0, by the standard's Log2 table.
std::int64_t Log2Q16(std::uint64_t x) {
    if (x == 0) x = 1;
    int n = 63;
    while (!(x >> n)) --n;
    const std::uint64_t t = x << (63 - n);
    const int i = static_cast<int>((t >> 58) & 31);
    const std::int64_t a = static_cast<std::int64_t>((t >> 42) & 0xFFFF);
    const std::int64_t frac = kLog2Table[i] + (((kLog2Table[i + 1] - kLog2Table[i]) * a) >> 16);
    return (static_cast<std::int64_t>(n) << 16) + (frac << 1);
}

// 2^(e / 65536) in Q16, by the standard's Pow2 table.
std::int64_t Pow2Q16(std::int64_t e) {
    std::int64_t whole = e >> 16;
    const std::int64_t f = e & 0xFFFF;
    const int i = static_cast<int>(f >> 11);
    const std::int64_t a = f & 0x7FF;
    const std::int64_t m = kPow2Table[i] + (((kPow2Table[i + 1] - kPow2Table[i]) * a) >> 11);  // Q14
    whole = std::clamp<std::int64_t>(whole, -40, 30);
    return whole >= 0 ? (m << 2) << whole : (m << 2) >> -whole;
}

// Cosine of an LSF in Q21 (radians), as an LSP in Q23.
std::int32_t LsfToLsp(std::int32_t lsf) {
    const std::int64_t freq = (static_cast<std::int64_t>(lsf) * 20861) >> 15;  // lsf / 2 pi, Q23
    std::int64_t ind = freq >> 16;
    std::int64_t offset = freq & 0xFFFF;
    if (ind > 63) {
        ind = 63;
        offset = 0xFFFF;
    }
    if (ind < 0) {
        ind = 0;
        offset = 0;
    }
    return static_cast<std::int32_t>((static_cast<std::int64_t>(kLspCosTable[ind]) << kExtra) +
                                     ((kLspCosSlope[ind] * offset) >> 12));
}

// Sum and difference polynomials of the LSPs at stride 2, Q24.
void LspPolynomial(const std::int32_t* lsp, std::int64_t* f) {
    f[0] = std::int64_t{1} << 24;
    f[1] = -4 * static_cast<std::int64_t>(lsp[0]);
    for (int i = 2; i <= 5; ++i) {
        const std::int64_t b = lsp[2 * (i - 1)];
        f[i] = 2 * f[i - 2] - ((b * f[i - 1]) >> 22);
        for (int j = i - 1; j > 1; --j) f[j] += f[j - 2] - ((b * f[j - 1]) >> 22);
        f[1] -= 4 * b;
    }
}

// LP coefficients (Q12, a[0] = 4096) of LSPs in Q23.
void LspToLpc(const std::int32_t* lsp, std::int32_t* a) {
    std::int64_t f1[6], f2[6];
    LspPolynomial(lsp, f1);
    LspPolynomial(lsp + 1, f2);
    for (int i = 5; i > 0; --i) {
        f1[i] += f1[i - 1];
        f2[i] -= f2[i - 1];
    }
    a[0] = 4096;
    for (int i = 1, j = 10; i <= 5; ++i, --j) {
        a[i] = static_cast<std::int32_t>(RoundShift(f1[i] + f2[i], 13));
        a[j] = static_cast<std::int32_t>(RoundShift(f1[i] - f2[i], 13));
    }
}

// a[i] * gamma^i, gamma in Q15.
void WeightLpc(const std::int32_t* a, std::int32_t gamma, std::int32_t* out) {
    std::int64_t factor = gamma;
    out[0] = a[0];
    for (int i = 1; i <= kOrder; ++i) {
        out[i] = static_cast<std::int32_t>(RoundShift(a[i] * factor, 15));
        factor = RoundShift(factor * gamma, 15);
    }
}

// y[n] = x[n] - sum a[j] y[n-j]; mem holds the last kOrder outputs, oldest first, and is updated.
void Synthesis(const std::int32_t* a, const std::int32_t* x, std::int32_t* y, int n, std::int32_t* mem) {
    std::int32_t buf[kOrder + 40];
    std::copy(mem, mem + kOrder, buf);
    for (int i = 0; i < n; ++i) {
        std::int64_t s = static_cast<std::int64_t>(x[i]) << 12;
        for (int j = 1; j <= kOrder; ++j) s -= static_cast<std::int64_t>(a[j]) * buf[kOrder + i - j];
        buf[kOrder + i] = y[i] = ClampSignal(RoundShift(s, 12));
    }
    std::copy(buf + n, buf + n + kOrder, mem);
}

double Correlation(const std::int32_t* x, const std::int32_t* y, int n) {
    std::int64_t s = 0;
    for (int i = 0; i < n; ++i) s += static_cast<std::int64_t>(x[i]) * y[i];
    return static_cast<double>(s);
}

}  // namespace

G729dFrameParameters UnpackG729dFrame(const std::uint8_t* frame) {
    int bit = 0;
    auto take = [&](int width) {
        int v = 0;
        for (int j = 0; j < width; ++j, ++bit) v |= ((frame[bit >> 3] >> (7 - (bit & 7))) & 1) << j;
        return v;
    };
    G729dFrameParameters p;
    p.lsp0 = take(8);
    p.lsp1 = take(10);
    for (int s = 0; s < 2; ++s) {
        p.pitch[s] = take(s == 0 ? 8 : 4);
        p.positions[s] = take(6);
        p.signs[s] = take(2);
        p.gains[s] = take(5);
    }
    return p;
}

void G729dDecoder::Reset() {
    for (int i = 0; i < kOrder; ++i) {
        lspOld_[i] = static_cast<std::int32_t>(kLspInitial[i]) << kExtra;
        for (auto& frame : freqPrev_) frame[i] = static_cast<std::int32_t>(kLsfInitialMemory[i]) << kExtra;
    }
    for (int i = 0; i < 4; ++i) pastQuaEn_[i] = kGainInitialEnergies[i];
    sharp_ = 0;
    exc_.fill(0);
    synMem_.fill(0);
    gainMem_.fill(0);
    prevDispState_ = 0;
    prevCodeGain_ = 0;
    onset_ = 0;
    res_.fill(0);
    pstMem_.fill(0);
    tiltMem_ = 0;
    agcGain_ = 1 << 14;
    hpX1_ = hpX2_ = hpY1_ = hpY2_ = 0;
}

void G729dDecoder::DecodeLsp(int lsp0, int lsp1, std::int32_t* lspNew) {
    const int mode = (lsp0 >> 7) & 1;
    const int first = lsp0 & 127;
    const int low = (lsp1 >> 5) & 31;
    const int high = lsp1 & 31;

    std::int32_t buf[kOrder];
    for (int j = 0; j < kOrder; ++j)
        buf[j] = (kLspCodebook1[first][j] + kLspCodebook2[j < 5 ? low : high][j]) << kExtra;
    for (const int gap : {10, 5}) {
        for (int j = 1; j < kOrder; ++j) {
            const std::int32_t tmp = (buf[j - 1] - buf[j] + (gap << kExtra)) >> 1;
            if (tmp > 0) {
                buf[j - 1] -= tmp;
                buf[j] += tmp;
            }
        }
    }

    std::int32_t lsf[kOrder];
    for (int j = 0; j < kOrder; ++j) {
        std::int64_t s = static_cast<std::int64_t>(buf[j]) * kLspMaPredictorSum[mode][j];
        for (int k = 0; k < 4; ++k) s += static_cast<std::int64_t>(freqPrev_[k][j]) * kLspMaPredictor[mode * 4 + k][j];
        lsf[j] = static_cast<std::int32_t>(s >> 15);
    }
    for (int k = 3; k > 0; --k) freqPrev_[k] = freqPrev_[k - 1];
    std::copy(buf, buf + kOrder, freqPrev_[0].begin());

    // Stability: one pass of swaps, a floor, minimum distances and a ceiling.
    for (int j = 0; j < kOrder - 1; ++j)
        if (lsf[j + 1] < lsf[j]) std::swap(lsf[j], lsf[j + 1]);
    lsf[0] = std::max(lsf[0], 40 << kExtra);
    for (int j = 0; j < kOrder - 1; ++j)
        if (lsf[j + 1] - lsf[j] < (321 << kExtra)) lsf[j + 1] = lsf[j] + (321 << kExtra);
    lsf[kOrder - 1] = std::min(lsf[kOrder - 1], 25681 << kExtra);

    for (int j = 0; j < kOrder; ++j) lspNew[j] = LsfToLsp(lsf[j]);
}

void G729dDecoder::DecodeFrame(const std::uint8_t* frame, std::int16_t* out) {
    DecodeFrame(UnpackG729dFrame(frame), out);
}

void G729dDecoder::DecodeFrame(const G729dFrameParameters& p, std::int16_t* out) {
    std::int32_t lspNew[kOrder], lspMid[kOrder];
    DecodeLsp(p.lsp0, p.lsp1, lspNew);
    for (int i = 0; i < kOrder; ++i) lspMid[i] = (lspOld_[i] >> 1) + (lspNew[i] >> 1);
    std::int32_t a1[kOrder + 1], a2[kOrder + 1];
    LspToLpc(lspMid, a1);
    LspToLpc(lspNew, a2);
    std::copy(lspNew, lspNew + kOrder, lspOld_.begin());

    // Pitch delay of subframe 1 (1/3 resolution up to 85, integer above).
    int t0, frac;
    const int k1 = p.pitch[0];
    if (k1 < 197) {
        t0 = (k1 + 59) / 3;
        frac = k1 - 3 * t0 + 58;
    } else {
        t0 = k1 - 112;
        frac = 0;
    }
    DecodeSubframe(0, t0, frac, p.positions[0], p.signs[0], p.gains[0], a1, out);

    // Subframe 2: relative to subframe 1.
    const int base = std::clamp(t0, 25, 139) - 5;
    const int k2 = p.pitch[1];
    if (k2 < 4) {
        t0 = base + k2;
        frac = 0;
    } else if (k2 > 11) {
        t0 = base + k2 - 6;
        frac = 0;
    } else {
        t0 = base + (k2 + 7) / 3;
        frac = (k2 + 1) % 3 - 1;
    }
    DecodeSubframe(1, t0, frac, p.positions[1], p.signs[1], p.gains[1], a2, out + kSub);

    std::copy(exc_.begin() + kFrameSamples, exc_.end(), exc_.begin());
}

void G729dDecoder::DecodeSubframe(int sub, int t0, int frac, int positions, int signs, int gains, const std::int32_t* a,
                                  std::int16_t* out) {
    std::int32_t* exc = exc_.data() + kExcHistory + sub * kSub;

    // Adaptive codebook: delay t0 + frac/3 by the 1/3-resolution filter, built in place so
    // that delays below 40 repeat the new samples.
    {
        int phase = -frac;
        const std::int32_t* x0 = exc - t0;
        if (phase < 0) {
            phase += 3;
            --x0;
        }
        for (int j = 0; j < kSub; ++j, ++x0) {
            const std::int32_t* x1 = x0;
            const std::int32_t* x2 = x0 + 1;
            std::int64_t s = 0;
            for (int i = 0, k = 0; i < kInterpTaps; ++i, k += 3) {
                s += static_cast<std::int64_t>(x1[-i]) * kInterp3[phase + k];
                s += static_cast<std::int64_t>(x2[i]) * kInterp3[3 - phase + k];
            }
            exc[j] = ClampSignal(RoundShift(s, 15));
        }
    }

    // Fixed codebook: two signed pulses, Q21.
    std::int32_t code[kSub] = {};
    const int posA = 5 * (positions & 7) + 3;
    const int posB = 5 * (positions >> 3);
    code[posA] += ((signs & 1) ? 8191 : -8192) << kExtra;
    code[posB] += ((signs & 2) ? 8191 : -8192) << kExtra;
    if (t0 < kSub) {
        const std::int64_t sharp = std::clamp(sharp_, 3277, 13017);
        for (int i = t0; i < kSub; ++i) code[i] += static_cast<std::int32_t>(RoundShift(code[i - t0] * sharp, 14));
    }

    std::int32_t pitchGain;
    std::int64_t codeGain;
    GainsFromIndex(gains, code, pitchGain, codeGain);
    sharp_ = pitchGain;

    std::int32_t dispersed[kSub];
    PhaseDispersion(pitchGain, codeGain, code, dispersed);

    std::int32_t excSyn[kSub];
    for (int i = 0; i < kSub; ++i) {
        const std::int64_t pitchPart = static_cast<std::int64_t>(exc[i]) * pitchGain;  // Q14
        exc[i] = ClampSignal(RoundShift((pitchPart << 15) + codeGain * code[i], 29));
        excSyn[i] = ClampSignal(RoundShift((pitchPart << 15) + codeGain * dispersed[i], 29));
    }

    std::int32_t syn[kOrder + kSub];
    std::copy(synMem_.begin(), synMem_.end(), syn);
    Synthesis(a, excSyn, syn + kOrder, kSub, synMem_.data());

    std::int32_t post[kSub];
    PostFilter(t0, a, syn + kOrder, post);

    // 100 Hz high-pass with up-scaling by 2.
    for (int i = 0; i < kSub; ++i) {
        const std::int64_t x = post[i];
        const std::int64_t y = static_cast<std::int64_t>(kHighPass[0][0]) * x + kHighPass[0][1] * std::int64_t{hpX1_} +
                               kHighPass[0][2] * std::int64_t{hpX2_} + kHighPass[1][1] * std::int64_t{hpY1_} +
                               kHighPass[1][2] * std::int64_t{hpY2_};
        hpX2_ = hpX1_;
        hpX1_ = post[i];
        hpY2_ = hpY1_;
        hpY1_ = ClampSignal(RoundShift(y, 13));
        const std::int64_t sample = RoundShift(2 * static_cast<std::int64_t>(hpY1_), kExtra);
        out[i] = static_cast<std::int16_t>(std::clamp<std::int64_t>(sample, -32768, 32767));
    }
}

void G729dDecoder::GainsFromIndex(int gains, const std::int32_t* code, std::int32_t& pitchGain,
                                  std::int64_t& codeGain) {
    const int ga = (gains >> 2) & 7;
    const int gb = 2 * (gains & 3);
    pitchGain = kGainCodebook1[ga][0] + kGainCodebook2[gb][0];
    const std::int64_t correction = kGainCodebook1[ga][1] + kGainCodebook2[gb][1];  // Q14, never 0

    // Predicted gain: 10^((30 dB - innovation energy + MA prediction) / 20); 30 dB is the mean
    // innovation energy at the half scale that the final up-scaling by 2 undoes.
    std::uint64_t energy = 0;
    for (int i = 0; i < kSub; ++i) energy += static_cast<std::uint64_t>(static_cast<std::int64_t>(code[i]) * code[i]);
    constexpr std::int64_t kLog2Of40 = 348779;                                   // Q16
    const std::int64_t log2Energy = Log2Q16(energy) - (42LL << 16);              // code is Q21
    const std::int64_t innovationDb = ((log2Energy - kLog2Of40) * 98642) >> 15;  // 10 log10(2), Q15
    std::int64_t predictedDb = (30LL << 16) - innovationDb;                      // Q16
    for (int k = 0; k < 4; ++k) predictedDb += (static_cast<std::int64_t>(kGainPredictor[k]) * pastQuaEn_[k]) >> 7;
    const std::int64_t predicted = Pow2Q16((predictedDb * 10885) >> 16);  // log2(10) / 20, Q16
    // Bounded far above any real gain so that the products below stay inside 64 bits.
    codeGain = std::min((predicted * correction) >> 14, std::int64_t{1} << 36);  // Q16

    for (int k = 3; k > 0; --k) pastQuaEn_[k] = pastQuaEn_[k - 1];
    const std::int64_t log2Correction = Log2Q16(static_cast<std::uint64_t>(correction)) - (14LL << 16);
    pastQuaEn_[0] = static_cast<std::int32_t>(((log2Correction * 49321) >> 13) >> 6);  // 20 log10(2), Q13
}

void G729dDecoder::PhaseDispersion(std::int32_t pitchGain, std::int64_t codeGain, const std::int32_t* code,
                                   std::int32_t* dispersed) {
    int state = pitchGain >= 14745 ? 2 : pitchGain > 9830 ? 1 : 0;
    for (int i = 5; i > 0; --i) gainMem_[i] = gainMem_[i - 1];
    gainMem_[0] = pitchGain;
    if (codeGain > 2 * prevCodeGain_) onset_ = 2;
    else if (onset_ > 0) --onset_;
    if (onset_ == 0 && std::count_if(gainMem_.begin(), gainMem_.end(), [](std::int32_t g) { return g < 9830; }) > 2)
        state = 0;
    if (state > prevDispState_ + 1) state = prevDispState_ + 1;
    if (onset_ > 0 && state < 2) ++state;
    prevDispState_ = state;
    prevCodeGain_ = codeGain;

    if (state == 2) {
        std::copy(code, code + kSub, dispersed);
        return;
    }
    const std::int16_t* h = state == 0 ? kPhaseDispersionLow : kPhaseDispersionMid;
    std::int64_t acc[kSub] = {};
    for (int i = 0; i < kSub; ++i) {
        if (code[i] == 0) continue;
        for (int j = 0; j < kSub; ++j) acc[(i + j) % kSub] += static_cast<std::int64_t>(code[i]) * h[j];
    }
    for (int i = 0; i < kSub; ++i) dispersed[i] = ClampSignal(RoundShift(acc[i], 15));
}

void G729dDecoder::LongTermPostFilter(int t0, const std::int32_t* res, std::int32_t* out) {
    std::copy(res, res + kSub, out);
    const double energy = Correlation(res, res, kSub);
    if (energy <= 0) return;

    // Best integer delay around the decoded one.
    int tMax = std::min(t0 + 1, kPitchMax);
    int tMin = tMax - 2;
    int lambda = tMin;
    double numInt = -1;
    for (int t = tMin; t <= tMax; ++t) {
        const double c = Correlation(res, res - t, kSub);
        if (c > numInt) {
            numInt = c;
            lambda = t;
        }
    }
    if (numInt <= 0) return;
    const double denInt = Correlation(res - lambda, res - lambda, kSub);
    if (denInt <= 0) return;

    // Fractional delays lambda - 1 + phi/8 and lambda + phi/8 by the short filter.
    double bestNum = numInt, bestDen = denInt;
    int bestD = lambda, bestPhase = 0;
    std::int32_t candidate[kSub], best[kSub];
    std::copy(res - lambda, res - lambda + kSub, best);
    for (int phase = 1; phase < 8; ++phase) {
        for (const int d : {lambda - 1, lambda}) {
            for (int n = 0; n < kSub; ++n) {
                std::int64_t s = 0;
                for (int i = 0; i < 4; ++i)
                    s += static_cast<std::int64_t>(kPostInterpShort[phase - 1][i]) * res[n - d - 2 + i];
                candidate[n] = ClampSignal(RoundShift(s, 15));
            }
            const double num = Correlation(res, candidate, kSub);
            const double den = Correlation(candidate, candidate, kSub);
            if (num > 0 && den > 0 && num * num * bestDen > bestNum * bestNum * den) {
                bestNum = num;
                bestDen = den;
                bestD = d;
                bestPhase = phase;
                std::copy(candidate, candidate + kSub, best);
            }
        }
    }
    // The long filter gives the final signal unless the short one correlates better.
    if (bestPhase != 0) {
        for (int n = 0; n < kSub; ++n) {
            std::int64_t s = 0;
            for (int i = 0; i < 16; ++i)
                s += static_cast<std::int64_t>(kPostInterpLong[bestPhase - 1][i]) * res[n - bestD - 8 + i];
            candidate[n] = ClampSignal(RoundShift(s, 15));
        }
        const double num = Correlation(res, candidate, kSub);
        const double den = Correlation(candidate, candidate, kSub);
        if (num > 0 && den > 0 && num * num * bestDen >= bestNum * bestNum * den) {
            bestNum = num;
            bestDen = den;
            std::copy(candidate, candidate + kSub, best);
        }
    }

    // Unvoiced (normalised correlation below 0.5): no long-term postfilter.
    if (bestNum * bestNum < 0.5 * energy * bestDen) return;
    const double gain = std::min(bestNum / bestDen, 1.0);
    const auto g = static_cast<std::int64_t>(std::lround(gain * 0.5 * 32768.0));  // gamma_p = 0.5
    for (int n = 0; n < kSub; ++n)
        out[n] = ClampSignal(((static_cast<std::int64_t>(res[n]) << 15) + g * best[n]) / (32768 + g));
}

void G729dDecoder::PostFilter(int t0, const std::int32_t* a, const std::int32_t* syn, std::int32_t* out) {
    std::int32_t num[kOrder + 1], den[kOrder + 1];
    WeightLpc(a, 18022, num);  // 0.55
    WeightLpc(a, 22938, den);  // 0.70

    // Residual of the synthesis through A(z/0.55), after the kept history.
    std::int32_t* res = res_.data() + kResHistory;
    for (int n = 0; n < kSub; ++n) {
        std::int64_t s = 0;
        for (int j = 0; j <= kOrder; ++j) s += static_cast<std::int64_t>(num[j]) * syn[n - j];
        res[n] = ClampSignal(RoundShift(s, 12));
    }

    std::int32_t ltp[kSub];
    LongTermPostFilter(t0, res, ltp);
    std::copy(res_.begin() + kSub, res_.end(), res_.begin());

    // Tilt compensation from the first reflection coefficient of A(z/0.55)/A(z/0.70).
    std::int64_t h[22] = {};
    for (int i = 0; i <= kOrder; ++i) h[i] = static_cast<std::int64_t>(num[i]) << 8;
    for (int n = 0; n < 22; ++n) {
        std::int64_t s = h[n] << 12;
        for (int j = 1; j <= kOrder && j <= n; ++j) s -= den[j] * h[n - j];
        h[n] = RoundShift(s, 12);
    }
    double rh0 = 0, rh1 = 0;
    for (int i = 0; i < 22; ++i) rh0 += static_cast<double>(h[i]) * static_cast<double>(h[i]);
    for (int i = 0; i < 21; ++i) rh1 += static_cast<double>(h[i]) * static_cast<double>(h[i + 1]);
    const double k1 = rh0 > 0 ? -rh1 / rh0 : 0.0;
    const std::int64_t factor = k1 > 0 ? 6554 : 29491;
    const std::int64_t mu = (static_cast<std::int64_t>(std::lround(k1 * 32768.0)) * factor) >> 15;  // Q15
    std::int32_t tilted[kSub];
    for (int n = 0; n < kSub; ++n) {
        const std::int64_t prev = n == 0 ? tiltMem_ : ltp[n - 1];
        tilted[n] = ClampSignal(RoundShift((static_cast<std::int64_t>(ltp[n]) << 15) + mu * prev, 15));
    }
    tiltMem_ = ltp[kSub - 1];

    Synthesis(den, tilted, out, kSub, pstMem_.data());

    // Adaptive gain control towards the energy of the unfiltered synthesis.
    const double energyOut = Correlation(out, out, kSub);
    if (energyOut <= 0) {
        agcGain_ = 0;
        return;
    }
    const double energyIn = Correlation(syn, syn, kSub);
    const auto target = static_cast<std::int64_t>(std::min(std::sqrt(energyIn / energyOut), 1024.0) * 16384.0);
    std::int64_t g = agcGain_;
    for (int n = 0; n < kSub; ++n) {
        g = RoundShift(16179 * g + 205 * target, 14);
        out[n] = ClampSignal(RoundShift(static_cast<std::int64_t>(out[n]) * g, 14));
    }
    agcGain_ = static_cast<std::int32_t>(g);
}

}  // namespace quillon::audio
