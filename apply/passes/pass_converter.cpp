#include "apply/passes/pass_converter.h"

#include "apply/passes/silhouette_motion.h"

namespace qxv::apply {

Motion& PassConverter::MotionOf(const ChannelImage& v) {
  // Written whole: the last frame's arrays serve again.
  Motion& motion = motion_;
  motion.dx.resize(v.Pixels());
  motion.dy.resize(v.Pixels());
  // The vectors' convention has y up; the module's rows run down.
  for (std::size_t i = 0; i < v.Pixels(); ++i) {
    motion.dx[i] = v.At(i, 0) * o_.vectorScaleX;
    motion.dy[i] = -v.At(i, 1) * o_.vectorScaleY;
  }
  return motion;
}

bool PassConverter::Matches(const FrameInputs& in, sim::PassImages* p) {
  if (in.uv) {
    UvMatchValues(*in.uv, p->index, &p->match1, &p->match2);
  } else if (in.vector) {
    Motion& motion = MotionOf(*in.vector);
    SteadySilhouetteMotion(p->width, p->height, p->index, &motion);
    PreviousPositions(p->width, p->height, motion, &p->match1, &p->match2);
    return true;
  } else {
    p->match1 = MatchValues(*in.match1);
    p->match2 = MatchValues(*in.match2);
  }
  return false;
}

void PassConverter::Convert(FrameInputs&& in, int number, int outputBits, ConvertedFrame* frame) {
  sim::PassImages* p = &frame->passes;
  frame->number = number;
  p->width = in.colour.width;
  p->height = in.colour.height;
  frame->outputBits = outputBits;
  frame->codes = CodesOf(in.colour, RangeFor(outputBits));
  p->colour = std::move(frame->codes.colour);
  frame->codes.colour.clear();
  p->index = objects_.Number(in.index);
  frame->objectIndexes.assign(objects_.Count() + 1, 0.0);
  for (const auto& [index, n] : objects_.Numbers()) frame->objectIndexes[n] = index;
  frame->tracked = Matches(in, p);
  p->depth.clear();
  p->alternate.clear();
  if (in.depth) p->depth = DepthValues(*in.depth);
  if (in.alternate) p->alternate = AlternateValues(*in.alternate);
  frame->colour = std::move(in.colour);
}

}  // namespace qxv::apply
