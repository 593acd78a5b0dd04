// The compiled half of the Python package: a sequence blurred frame by
// frame from numpy arrays, through the same apply library and module as
// pblur apply, so a frame comes out as apply writes it to a float EXR.
// Settings are taken by the command line's own option table, so their
// checks and messages are the tool's.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "apply/apply_error.h"
#include "apply/colour/colour_frame.h"
#include "apply/output/folders.h"
#include "apply/blur/frame_blur.h"
#include "apply/input/image_input.h"
#include "apply/input/pass_source.h"
#include "apply/input/pass_table.h"
#include "apply/blur/module_loader.h"
#include "apply/blur/object_settings.h"
#include "python/numpy_images.h"
#include "sim/module_exports.h"
#include "tools/option_table.h"
#include "tools/options.h"

namespace py = pybind11;

namespace qxv::python {
namespace {

// The settings a sequence in memory takes: the blur's and the simulated
// host's, not the ones naming files or frames.
const char* const kSettingFlags[] = {
    "--streak-length", "--strength",       "--alt-length", "--alt-strength", "--echoes",
    "--jitter",        "--depth-test",     "--no-depth-test", "--no-secondary",
    "--reverse-length", "--trails",        "--mode",       "--tile",         "--vector-scale",
    "--look",          "--shutter"};

const tool::OptionSpec& Setting(const std::string& flag) {
  for (const char* allowed : kSettingFlags) {
    if (flag != allowed) continue;
    if (const tool::OptionSpec* spec = tool::FindOption(flag)) return *spec;
  }
  apply::UsageError(flag + ": not a setting of pblur.Blur");
}

// The module and the simulated host are one per process, as a host's
// plug-in is, and keep their state there: one thread at a time calls into
// them, holding this.
std::mutex& ModuleMutex() {
  static std::mutex mutex;
  return mutex;
}

// A turn with the module, for a caller holding Python: it waits with Python
// released and lets Python go on (Blender's interface, another thread
// reading or writing files) while the module works. The module is let go
// before Python is taken back.
struct ModuleTurn {
  py::gil_scoped_release released;
  std::lock_guard<std::mutex> lock{ModuleMutex()};
};

class Blur {
 public:
  Blur(const std::string& modulePath, const std::vector<std::pair<std::string, std::string>>& flags,
       const apply::ObjectTable& objects) {
    tool::Options o;
    for (const auto& [flag, value] : flags) Setting(flag).apply(o, flag, value);
    o.objects = objects;
    tool::CheckLookSettings(o);
    settings_ = o;
    ModuleTurn turn;
    module_ = apply::LoadModule(modulePath);
    blur_ = std::make_unique<apply::FrameBlur>(module_, settings_);
  }

  py::array_t<float> Frame(const py::array& colour, const std::optional<py::array>& index,
                           const std::optional<py::array>& uv,
                           const std::optional<py::array>& vector,
                           const std::optional<py::array>& match,
                           const std::optional<py::array>& depth,
                           const std::optional<py::array>& alternate) {
    if (colour.dtype().kind() != 'f') {
      apply::UsageError("colour: expected linear float samples, got dtype " +
                        std::string(py::str(colour.dtype())));
    }
    CheckSources(index.has_value(), uv.has_value(), vector.has_value(), match.has_value(),
                 depth.has_value());
    apply::FrameInputs in;
    in.colour = Channels("colour", colour, {3, 4}, 0, 0);
    in.colour.associatedAlpha = true;  // premultiplied, as renderers give it
    const std::uint32_t h = in.colour.height, w = in.colour.width;
    if (index) in.index = Channels("index", *index, {1}, h, w);
    if (uv) in.uv = Channels("uv", *uv, {2}, h, w);
    // The shutter look also takes the vectors to the next frame.
    const std::vector<int> vectorChannels = Shutter() ? std::vector<int>{2, 4} : std::vector<int>{2};
    if (vector) in.vector = Channels("vector", *vector, vectorChannels, h, w);
    if (match) {
      // Each value from its own channel, a view of the pair (no copy).
      ChannelCount("match", *match, {2}, h, w);
      for (int c = 0; c < 2; ++c) {
        const py::array one = (*match)[py::make_tuple(py::ellipsis(), c)];
        (c == 0 ? in.match1 : in.match2) = Channels("match", one, {1}, h, w);
      }
    }
    if (depth) in.depth = Channels("depth", *depth, {1}, h, w);
    if (alternate) in.alternate = Channels("alternate", *alternate, {1}, h, w);

    apply::OutputImage out;
    {
      ModuleTurn turn;
      out = blur_->Frame(std::move(in), 32);
    }
    return HandedOver(std::move(out));
  }

  bool Shutter() const { return settings_.look == apply::Look::Shutter; }

  // The streak look: an index, one source of match values, and depth where
  // the depth test needs it. The shutter look: the vectors.
  void CheckSources(bool index, bool uv, bool vector, bool match, bool depth) const {
    if (Shutter()) {
      if (!vector) apply::UsageError("vector: needed by the shutter look, which follows it");
      if (uv || match) apply::UsageError("uv and match: the streak look's, not the shutter look's");
      return;
    }
    if (!index) apply::UsageError("index: needed by the streak look");
    apply::CheckOneMatchSource(int{uv} + int{vector} + int{match}, "match, uv or vector");
    if (settings_.edits.depthTest.value_or(false) && !depth) {
      apply::UsageError("depth_test: needs depth, the depth pass");
    }
  }

  ~Blur() {
    ModuleTurn turn;
    blur_.reset();
    sim::UnloadModuleFile(&module_);
  }
  Blur(const Blur&) = delete;
  Blur& operator=(const Blur&) = delete;

  int Frames() const {
    ModuleTurn turn;
    return blur_->Frames();
  }

  // One frame whose passes are all in one file (a renderer's multilayer
  // EXR), each named by the channels to read as apply names them, written
  // to `output` as apply writes a frame there.
  void FrameFile(const std::string& path, const std::string& output, const std::string& colour,
                 const std::optional<std::string>& index, const std::optional<std::string>& uv,
                 const std::optional<std::string>& vector,
                 const std::optional<std::pair<std::string, std::string>>& match,
                 const std::optional<std::string>& depth,
                 const std::optional<std::string>& alternate) {
    py::gil_scoped_release released;  // the files are read and written meanwhile
    apply::CheckWritable("output", output);
    CheckSources(index.has_value(), uv.has_value(), vector.has_value(), match.has_value(),
                 depth.has_value());
    // Every pass in one read of the file.
    struct Pass {
      const std::string* request;
      apply::PassShape shape;
      apply::ChannelImage* target;
    };
    apply::FrameInputs in;
    std::vector<Pass> passes = {{&colour, apply::PassShape::Colour, &in.colour}};
    if (index) passes.push_back({&*index, apply::PassShape::Value, &in.index});
    auto optional = [&passes](const std::optional<std::string>& request, apply::PassShape shape,
                              std::optional<apply::ChannelImage>& target) {
      if (request) passes.push_back({&*request, shape, &target.emplace()});
    };
    optional(uv, apply::PassShape::Pair, in.uv);
    optional(vector, apply::VectorShape(settings_), in.vector);
    optional(depth, apply::PassShape::Value, in.depth);
    optional(alternate, apply::PassShape::Value, in.alternate);
    if (match) {
      optional(match->first, apply::PassShape::Value, in.match1);
      optional(match->second, apply::PassShape::Value, in.match2);
    }
    apply::InputFile file(path);
    std::vector<std::vector<std::string>> sets;
    for (const Pass& pass : passes) {
      sets.push_back(apply::ChooseChannels(path, file.Names(), *pass.request, pass.shape));
    }
    std::vector<apply::ChannelImage> images = file.Read(sets);
    for (std::size_t k = 0; k < passes.size(); ++k) *passes[k].target = std::move(images[k]);
    const int bits = apply::OutputBits(output, in.colour);
    apply::OutputImage image;
    {
      std::lock_guard<std::mutex> turn(ModuleMutex());
      image = blur_->Frame(std::move(in), bits);
    }
    apply::EnsureFolder(apply::FolderOf(output), "output");
    apply::WriteImage(output, image);
  }

 private:
  apply::ApplySettings settings_;
  sim::ModuleExports module_{};
  std::unique_ptr<apply::FrameBlur> blur_;
};

}  // namespace
}  // namespace qxv::python

PYBIND11_MODULE(_pblur, m) {
  using qxv::python::Blur;
  m.doc() = "The compiled half of pblur; use the pblur package.";
  static py::exception<qxv::apply::ApplyError> error(m, "Error", PyExc_ValueError);
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const qxv::apply::ApplyError& e) {
      error(e.what());
    }
  });
  py::class_<qxv::apply::ObjectSettings>(m, "ObjectSettings")
      .def(py::init([](std::optional<bool> blur, bool reverse, std::optional<std::string> group) {
             qxv::apply::ObjectSettings s;
             s.blur = blur;
             s.reverse = reverse;
             s.group = group.value_or("");
             return s;
           }),
           py::arg("blur") = py::none(), py::arg("reverse") = false, py::arg("group") = py::none());
  py::class_<Blur>(m, "Blur")
      .def(py::init<const std::string&, const std::vector<std::pair<std::string, std::string>>&,
                    const qxv::apply::ObjectTable&>(),
           py::arg("module_path"), py::arg("flags"), py::arg("objects"))
      .def("frame", &Blur::Frame, py::arg("colour"), py::arg("index") = py::none(), py::kw_only(),
           py::arg("uv") = py::none(), py::arg("vector") = py::none(),
           py::arg("match") = py::none(), py::arg("depth") = py::none(),
           py::arg("alternate") = py::none())
      .def("frame_file", &Blur::FrameFile, py::arg("path"), py::arg("output"), py::kw_only(),
           py::arg("colour"), py::arg("index") = py::none(), py::arg("uv") = py::none(),
           py::arg("vector") = py::none(), py::arg("match") = py::none(),
           py::arg("depth") = py::none(), py::arg("alternate") = py::none())
      .def_property_readonly("frames", &Blur::Frames);
}
