#include "apply/input/frame_reader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "apply/flag_errors.h"
#include "apply/input/frame_pattern.h"
#include "apply/input/image_input.h"
#include "apply/input/pass_table.h"

namespace qxv::apply {

FrameInputs FrameReader::Read(int f) {
  // Each file once, in the order its first pass comes, with every channel
  // any of its passes wants.
  std::vector<std::pair<std::string, std::vector<const PassRow*>>> files;
  for (const PassRow* row : PassesGiven(o_)) {
    const std::string path = FrameName((o_.*row->source).pattern, f);
    auto same = std::find_if(files.begin(), files.end(),
                             [&path](const auto& file) { return file.first == path; });
    if (same == files.end()) same = files.insert(files.end(), {path, {}});
    same->second.push_back(row);
  }
  FrameInputs in;
  for (const auto& [path, rows] : files) {
    // A file that fails mid-run is named by the first pass it holds.
    ForFlag(rows.front()->flag, [&, &path = path, &rows = rows] {
      InputFile file(path);
      std::vector<std::vector<std::string>> sets;
      for (const PassRow* row : rows) {
        sets.push_back(ChooseChannels(path, file.Names(), (o_.*row->source).channels, ShapeOf(*row, o_)));
      }
      std::vector<ChannelImage> images = file.Read(sets);
      for (std::size_t k = 0; k < rows.size(); ++k) rows[k]->Make(in) = std::move(images[k]);
    });
  }
  const std::string colourPath = FrameName(o_.colour.pattern, f);
  const bool alpha = in.colour.names.size() == 4;
  if (!shape_.Known()) shape_ = FrameShape(colourPath, in.colour.width, in.colour.height, alpha);
  for (const auto& [path, rows] : files) {
    const ChannelImage& image = *rows.front()->In(in);
    ForFlag(rows.front()->flag,
            [&, &path = path] { shape_.CheckSize(path, image.width, image.height); });
  }
  ForFlag("--colour", [&] { shape_.CheckAlpha(colourPath, alpha); });
  return in;
}

}  // namespace qxv::apply
