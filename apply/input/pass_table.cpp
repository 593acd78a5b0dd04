#include "apply/input/pass_table.h"

#include "apply/apply_error.h"

namespace qxv::apply {

const ChannelImage* PassRow::In(const FrameInputs& in) const {
  if (always) return &(in.*always);
  const std::optional<ChannelImage>& pass = in.*given;
  return pass ? &*pass : nullptr;
}

ChannelImage& PassRow::Make(FrameInputs& in) const {
  if (always) return in.*always;
  return (in.*given).emplace();
}

std::vector<const PassRow*> PassesGiven(const ApplySettings& settings) {
  std::vector<const PassRow*> rows;
  for (const PassRow& row : kPasses) {
    if (!(settings.*row.source).pattern.empty()) rows.push_back(&row);
  }
  return rows;
}

void CheckOneMatchSource(int sources, const std::string& choices) {
  if (sources == 1) return;
  UsageError(std::string(sources == 0 ? "missing" : "more than one") +
             " source of match values: give " + choices);
}

}  // namespace qxv::apply
