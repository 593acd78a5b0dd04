#include "kernel/neighbourhood.h"

#include "kernel/float_to_int.h"
#include "kernel/streak_pixel.h"

namespace qxv {
namespace {

struct Cell {
  std::int32_t a, r, g, b;
};
using Block = Cell[9];

Cell Unpack(std::uint32_t v) {
  return Cell{static_cast<std::int32_t>(Coverage(v)),
              static_cast<std::int32_t>((v >> 16) & 0xFFu),
              static_cast<std::int32_t>((v >> 8) & 0xFFu), static_cast<std::int32_t>(v & 0xFFu)};
}

bool AllZero(const Cell& c) { return c.a == 0 && c.r == 0 && c.g == 0 && c.b == 0; }
bool NotAllZero(const Cell& c) { return !AllZero(c); }
bool Covered(const Cell& c) { return c.a != 0; }

// The first cell that counts as filled, in neighbourhood order; a zero cell
// when none does. The fills start their running colour from it.
Cell FirstFilled(const Block& cells, bool (*filled)(const Cell&)) {
  for (const Cell& c : cells) {
    if (filled(c)) return c;
  }
  return Cell{};
}

void TakeColour(Cell& c, const Cell& from) {
  c.r = from.r;
  c.g = from.g;
  c.b = from.b;
}

std::int32_t AtMost(std::int32_t v, std::int32_t limit) { return v > limit ? limit : v; }

std::int32_t Clamp255(std::int32_t v) { return v < 0 ? 0 : AtMost(v, 255); }

// Smoothing: a position that is entirely zero is empty.
void FillByValue(Block& cells) {
  Cell running = FirstFilled(cells, NotAllZero);
  for (Cell& c : cells) {
    if (AllZero(c)) {
      TakeColour(c, running);
    } else {
      running = c;
    }
  }
}

// Blend sets: only the coverage decides in the fill; the search for the
// first running colour is the caller's.
void FillByCoverage(Block& cells, Cell running) {
  for (Cell& c : cells) {
    if (c.a == 0) {
      TakeColour(c, running);
    } else {
      running = c;
    }
  }
}

std::int32_t PullChannel(double share, std::int32_t centre, std::int32_t v) {
  const double pulled =
      share * (static_cast<double>(centre) - static_cast<double>(v)) + static_cast<double>(v);
  return AtMost(ToInt32(pulled), 255);
}

// d / 127 for every coverage difference d a pull can meet: the same
// quotients, without a division per neighbour.
struct PullShares {
  double byDifference[128];
};
constexpr PullShares MakePullShares() {
  PullShares s = {};
  for (int d = 0; d < 128; ++d) s.byDifference[d] = static_cast<double>(d) / 127.0;
  return s;
}
inline constexpr PullShares kPullShares = MakePullShares();

// Weaker neighbours take on the centre's colour in proportion to how much
// weaker they are; the coverages stay.
void Pull(Block& cells) {
  const Cell& centre = cells[0];
  for (int k = 1; k < 9; ++k) {
    Cell& c = cells[k];
    const std::int32_t d = centre.a - c.a;
    if (d <= 0) continue;
    const double share = kPullShares.byDifference[d];
    c.r = PullChannel(share, centre.r, c.r);
    c.g = PullChannel(share, centre.g, c.g);
    c.b = PullChannel(share, centre.b, c.b);
  }
}

// Weights 1 3 1 / 3 4 3 / 1 3 1 over 20, the centre at 0.
std::int32_t Kernel(std::int32_t c0, std::int32_t c1, std::int32_t c2, std::int32_t c3,
                    std::int32_t c4, std::int32_t c5, std::int32_t c6, std::int32_t c7,
                    std::int32_t c8) {
  return (4 * c0 + 3 * (c1 + c2 + c4 + c7) + c3 + c5 + c6 + c8) / 20;
}

Cell Average(const Block& c) {
  const std::int32_t a = Kernel(c[0].a, c[1].a, c[2].a, c[3].a, c[4].a, c[5].a, c[6].a, c[7].a,
                                c[8].a);
  const std::int32_t r = Kernel(c[0].r, c[1].r, c[2].r, c[3].r, c[4].r, c[5].r, c[6].r, c[7].r,
                                c[8].r);
  const std::int32_t g = Kernel(c[0].g, c[1].g, c[2].g, c[3].g, c[4].g, c[5].g, c[6].g, c[7].g,
                                c[8].g);
  const std::int32_t b = Kernel(c[0].b, c[1].b, c[2].b, c[3].b, c[4].b, c[5].b, c[6].b, c[7].b,
                                c[8].b);
  return Cell{AtMost(a, 127), AtMost(r, 255), AtMost(g, 255), AtMost(b, 255)};
}

// One set of a blend's neighbourhood filled from `running`, pulled toward
// its centre and averaged.
Cell SmoothedSet(Block& cells, Cell running) {
  FillByCoverage(cells, running);
  Pull(cells);
  return Average(cells);
}

double Brightness(std::int32_t r, std::int32_t g, std::int32_t b) {
  return 0.6 * static_cast<double>(g) + 0.3 * static_cast<double>(r) + 0.1 * static_cast<double>(b);
}

std::int32_t BlendChannel(std::int32_t current, std::int32_t target, double factor) {
  const double moved =
      (static_cast<double>(target) - static_cast<double>(current)) / 128.0 * factor +
      static_cast<double>(current);
  return Clamp255(ToInt32(moved));
}

std::int32_t Larger(std::int32_t p, std::int32_t q) { return p > q ? p : q; }

bool InRange(std::int32_t channel) { return channel >= 0 && channel <= 255; }

}  // namespace

std::uint32_t SmoothPixel(const std::uint32_t n[9], bool honourMarks) {
  // Most of a layer is empty: nine empty values fill, pull and average to
  // an empty pixel, whatever the marks.
  if ((n[0] | n[1] | n[2] | n[3] | n[4] | n[5] | n[6] | n[7] | n[8]) == 0u) return 0u;
  Block cells;
  cells[0] = Unpack(n[0]);
  for (int k = 1; k < 9; ++k) {
    cells[k] = (honourMarks && (n[k] & kMarkBit) != 0u) ? cells[0] : Unpack(n[k]);
  }
  FillByValue(cells);
  Pull(cells);
  const Cell s = Average(cells);
  return (static_cast<std::uint32_t>(s.a) << 24) | (static_cast<std::uint32_t>(s.r) << 16) |
         (static_cast<std::uint32_t>(s.g) << 8) | static_cast<std::uint32_t>(s.b);
}

namespace {

// Moves the colour toward the target by factor / 128; the result never has
// a lower weighted brightness than the colour had.
void BlendToward(double factor, std::int32_t* red, std::int32_t* green, std::int32_t* blue,
                 std::int32_t targetRed, std::int32_t targetGreen, std::int32_t targetBlue) {
  const std::int32_t r = BlendChannel(*red, targetRed, factor);
  const std::int32_t g = BlendChannel(*green, targetGreen, factor);
  const std::int32_t b = BlendChannel(*blue, targetBlue, factor);
  if (Brightness(r, g, b) > Brightness(*red, *green, *blue)) {
    *red = r;
    *green = g;
    *blue = b;
    return;
  }
  // A darker result may still raise single channels.
  *red = Clamp255(Larger(*red, r));
  *green = Clamp255(Larger(*green, g));
  *blue = Clamp255(Larger(*blue, b));
}

// 1.5 f + 8, f = weight / 10 * a in extended precision, truncated.
double BlendFactor(float weight, std::int32_t a) {
  const long double scaled = static_cast<long double>(weight) / static_cast<long double>(10.0f) *
                             static_cast<long double>(a);
  const std::int32_t f = ToInt32(scaled);
  return static_cast<double>(f) * 1.5 + 8.0;
}

}  // namespace

void BlendBrighter(float weight, std::int32_t a, std::int32_t* red, std::int32_t* green,
                   std::int32_t* blue, std::int32_t targetRed, std::int32_t targetGreen,
                   std::int32_t targetBlue) {
  BlendToward(BlendFactor(weight, a), red, green, blue, targetRed, targetGreen, targetBlue);
}

BlendFactors MakeBlendFactors(float weight) {
  BlendFactors factors;
  for (std::int32_t a = 0; a <= kMaxCoverage; ++a) factors.byCoverage[a] = BlendFactor(weight, a);
  return factors;
}

void BlendNeighbourhood(const BlendFactors& main, const BlendFactors& alternate,
                        std::int32_t* red, std::int32_t* green, std::int32_t* blue,
                        std::uint32_t centre, std::uint32_t left, std::uint32_t right,
                        std::uint32_t up, std::uint32_t down, std::uint32_t upperLeft,
                        std::uint32_t upperRight, std::uint32_t lowerLeft,
                        std::uint32_t lowerRight) {
  const std::uint32_t any =
      centre | left | right | up | down | upperLeft | upperRight | lowerLeft | lowerRight;
  // An empty neighbourhood smooths to nothing in both sets, and each blend
  // toward nothing with f = 0 (a = 0, whatever the weight) gives every
  // channel c the value c - c / 16 truncated, which is no brighter and no
  // channel larger: a colour within 0..255 stays exactly as it is.
  if (any == 0u && InRange(*red) && InRange(*green) && InRange(*blue)) return;
  const std::uint32_t n[9] = {centre,    right,      left, upperRight, up,
                              upperLeft, lowerRight, down, lowerLeft};
  Block plain{};
  Block marked{};
  for (int k = 0; k < 9; ++k) {
    ((n[k] & kMarkBit) != 0u ? marked : plain)[k] = Unpack(n[k]);
  }
  const Cell u = SmoothedSet(plain, FirstFilled(plain, NotAllZero));
  BlendToward(main.byCoverage[u.a], red, green, blue, u.r, u.g, u.b);
  // Without a marked neighbour the marked set is empty: its blend is the one
  // toward nothing with a = 0, and the first blend left the channels within
  // 0..255, so it would change nothing.
  if ((any & kMarkBit) == 0u) return;
  const Cell m = SmoothedSet(marked, FirstFilled(marked, Covered));
  BlendToward(alternate.byCoverage[m.a], red, green, blue, m.r, m.g, m.b);
}

}  // namespace qxv
