// The Python package against pblur apply: the same passes, blurred frame by
// frame from numpy arrays, give the values apply writes to a float EXR, for
// each source of match values and the settings that change the pass; and
// the package's own checks (objects, groups, errors) pass.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "apply/input/frame_pattern.h"
#include "project_version.h"
#include "tests/tool/support.h"

namespace qxv::tool::test {
namespace {

#ifdef QXV_PYTHON_DIR
constexpr bool kBuilt = true;
const char* const kPythonDir = QXV_PYTHON_DIR;
const char* const kPython = QXV_PYTHON;
const char* const kAddonDir = QXV_ADDON_DIR;
#else
constexpr bool kBuilt = false;
const char* const kPythonDir = "";
const char* const kPython = "";
const char* const kAddonDir = "";
#endif

constexpr std::uint32_t kWidth = 48, kHeight = 32;
constexpr int kFrames = 4;

struct Box {
  std::uint32_t index;
  int x, y, w, h;     // at frame 0
  int dx, dy;         // per frame, y down
  float r, g, b, a;   // premultiplied
  float depth;
};

// A box moving right with colour above 1, a half-covered box moving left
// and down in the alternate set, and a still box in front of both.
const Box kBoxes[] = {
    {1, 2, 4, 12, 9, 4, 0, 2.5f, 0.4f, 0.1f, 1.0f, 5.0f},
    {2, 34, 13, 8, 8, -3, 1, 0.3f, 0.2f, 0.05f, 0.5f, 8.0f},
    {3, 20, 8, 6, 14, 0, 0, 0.1f, 0.6f, 0.2f, 1.0f, 3.0f},
};

using Pass = std::vector<float>;  // row-major, channels interleaved

struct Frame {
  Pass colour, index, vector, uv, match, depth, alternate;
};

Frame Render(int f) {
  const std::size_t n = std::size_t{kWidth} * kHeight;
  Frame out{Pass(n * 4, 0.0f), Pass(n, 0.0f), Pass(n * 2, 0.0f), Pass(n * 2, 0.0f),
            Pass(n * 2, 0.0f), Pass(n, 1e10f), Pass(n, 0.0f)};
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      const std::size_t i = y * kWidth + x;
      out.colour[i * 4 + 0] = 0.02f, out.colour[i * 4 + 1] = 0.03f, out.colour[i * 4 + 2] = 0.05f;
      for (const Box& b : kBoxes) {
        const int left = b.x + b.dx * f, top = b.y + b.dy * f;
        const int u = static_cast<int>(x) - left, v = static_cast<int>(y) - top;
        if (u < 0 || v < 0 || u >= b.w || v >= b.h || b.depth >= out.depth[i]) continue;
        const float shade = 0.6f + 0.4f * static_cast<float>((u + v) % 3) / 2.0f;
        const float colour[] = {b.r * shade, b.g * shade, b.b * shade, b.a};
        std::memcpy(&out.colour[i * 4], colour, sizeof colour);
        out.index[i] = static_cast<float>(b.index);
        out.vector[i * 2] = static_cast<float>(-b.dx);
        out.vector[i * 2 + 1] = static_cast<float>(b.dy);  // y up
        out.uv[i * 2] = (static_cast<float>(u) + 0.5f) / static_cast<float>(b.w);
        out.uv[i * 2 + 1] = (static_cast<float>(v) + 0.5f) / static_cast<float>(b.h);
        out.match[i * 2] = static_cast<float>(1000 * b.index + u);
        out.match[i * 2 + 1] = static_cast<float>(v);
        out.depth[i] = b.depth;
        out.alternate[i] = b.index == 2 ? 1.0f : 0.0f;
      }
    }
  }
  return out;
}

// One channel of an interleaved pass.
Pass Channel(const Pass& pass, std::size_t channels, std::size_t c) {
  Pass one(pass.size() / channels);
  for (std::size_t i = 0; i < one.size(); ++i) one[i] = pass[i * channels + c];
  return one;
}

void WriteRaw(const std::string& path, const Pass& pass) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(pass.data()),
            static_cast<std::streamsize>(pass.size() * sizeof(float)));
}

Pass ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  Pass pass(static_cast<std::size_t>(in.tellg()) / sizeof(float));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(pass.data()),
          static_cast<std::streamsize>(pass.size() * sizeof(float)));
  return pass;
}

int RunPython(const std::string& script, const std::string& argument, const std::string& log) {
  const std::string command = "PYTHONPATH=" + std::string(kPythonDir) + " " + kPython + " " +
                              std::string(QXV_SOURCE_DIR) + "/tests/python/" + script + " " +
                              argument + " >" + log + " 2>&1";
  return std::system(command.c_str());
}

std::string LogText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Case {
  const char* name;
  bool alpha;
  std::vector<const char*> passes;  // besides colour and index
  std::vector<std::string> flags;   // pblur apply's, besides the passes
  const char* settings;             // the package's, as JSON
  const char* objects;              // JSON keyed by object index, or empty
};

TEST(PythonPackageTest, FramesEqualApplyWritingFloatExr) {
  if (!kBuilt) GTEST_SKIP() << "configure with -DQXV_BUILD_PYTHON=ON to build the package";
  const Case cases[] = {
      {"vector, alpha, defaults", true, {"vector"}, {}, "{}", ""},
      {"uv, depth test, trails, echoes, no alpha",
       false,
       {"uv", "depth"},
       {"--depth-test", "--trails", "3", "--echoes", "2", "--streak-length", "12.5"},
       R"({"depth_test": true, "trails": 3, "echoes": 2, "streak_length": 12.5})",
       ""},
      {"match values, alternate, opt-in objects and a group, small tiles",
       true,
       {"match", "alternate", "depth"},
       {"--mode", "opt-in", "--tile", "16x16", "--depth-test", "--alt-length", "20",
        "--no-secondary", "--reverse-length", "3"},
       R"({"mode": "opt-in", "tile": [16, 16], "depth_test": true, "alt_length": 20,
           "no_secondary": true, "reverse_length": 3})",
       R"({"1": {"blur": true, "reverse": true}, "2": {"blur": true, "group": "g"},
           "3": {"group": "g"}})"},
      {"vector scaled, opt-out, one object off", true, {"vector"},
       {"--vector-scale", "-1,1", "--mode", "opt-out", "--strength", "7"},
       R"({"vector_scale": [-1, 1], "mode": "opt-out", "strength": 7})",
       R"({"2": {"blur": false}})"},
      {"shutter look, depth, alpha, a shutter of 0.75", true, {"vector", "depth"},
       {"--look", "shutter", "--shutter", "0.75"}, R"({"look": "shutter", "shutter": 0.75})", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    const std::string raw = scratch / "raw";
    std::filesystem::create_directories(raw);
    std::vector<std::string> args = {"apply", "--quiet", "--output", scratch / "apply/out_#.exr"};
    std::string passes = "\"colour\": " + std::to_string(c.alpha ? 4 : 3) + ", \"index\": 1";
    for (int f = 1; f <= kFrames; ++f) {
      const Frame frame = Render(f);
      const std::string at = "_" + std::to_string(f);
      Pass colour = frame.colour;
      std::vector<std::pair<std::string, Pass>> rgba;
      for (std::size_t k = 0; k < (c.alpha ? 4u : 3u); ++k) {
        rgba.emplace_back(std::string(1, "RGBA"[k]), Channel(frame.colour, 4, k));
      }
      if (!c.alpha) {
        colour.clear();
        for (std::size_t i = 0; i < frame.colour.size(); ++i) {
          if (i % 4 != 3) colour.push_back(frame.colour[i]);
        }
      }
      WriteFloatChannels(scratch / ("colour" + at + ".exr"), kWidth, kHeight, rgba);
      WriteRaw(raw + "/colour" + at + ".f32", colour);
      WriteFloatChannels(scratch / ("index" + at + ".exr"), kWidth, kHeight, {{"Y", frame.index}});
      WriteRaw(raw + "/index" + at + ".f32", frame.index);
      for (const char* name : c.passes) {
        const std::string p = name;
        const Pass& pass = p == "vector" ? frame.vector : p == "uv" ? frame.uv
                           : p == "match" ? frame.match : p == "depth" ? frame.depth
                                                                        : frame.alternate;
        WriteRaw(raw + "/" + p + at + ".f32", pass);
        if (p == "match") {
          WriteFloatChannels(scratch / ("match1" + at + ".exr"), kWidth, kHeight,
                             {{"Y", Channel(pass, 2, 0)}});
          WriteFloatChannels(scratch / ("match2" + at + ".exr"), kWidth, kHeight,
                             {{"Y", Channel(pass, 2, 1)}});
        } else if (p == "vector" || p == "uv") {
          const char* names = p == "vector" ? "XY" : "UV";
          WriteFloatChannels(scratch / (p + at + ".exr"), kWidth, kHeight,
                             {{std::string(1, names[0]), Channel(pass, 2, 0)},
                              {std::string(1, names[1]), Channel(pass, 2, 1)}});
        } else {
          WriteFloatChannels(scratch / (p + at + ".exr"), kWidth, kHeight, {{"Y", pass}});
        }
      }
    }
    args.insert(args.end(), {"--colour", scratch / "colour_#.exr", "--index",
                             scratch / "index_#.exr"});
    for (const char* name : c.passes) {
      const std::string p = name;
      passes += ", \"" + p + "\": " + (p == "depth" || p == "alternate" ? "1" : "2");
      if (p == "match") {
        args.insert(args.end(), {"--match1", scratch / "match1_#.exr", "--match2",
                                 scratch / "match2_#.exr"});
      } else {
        args.insert(args.end(), {"--" + p, scratch / (p + "_#.exr")});
      }
    }
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    if (*c.objects) {
      std::ofstream(scratch / "objects.json") << c.objects;
      args.insert(args.end(), {"--objects", scratch / "objects.json"});
    }
    const ToolRun tool = RunTool(args);
    ASSERT_EQ(tool.status, 0) << tool.err;

    std::ofstream(scratch / "job.json")
        << "{\"dir\": \"" << raw << "\", \"frames\": [1, 2, 3, 4], \"width\": " << kWidth
        << ", \"height\": " << kHeight << ", \"passes\": {" << passes
        << "}, \"settings\": " << c.settings << ", \"objects\": " << (*c.objects ? c.objects : "{}")
        << "}";
    const std::string log = scratch / "python.log";
    ASSERT_EQ(RunPython("blur_frames.py", scratch / "job.json", log), 0) << LogText(log);

    int changed = 0;
    for (int f = 1; f <= kFrames; ++f) {
      const apply::ChannelImage exr = ReadAll(apply::FrameName(scratch / "apply/out_#.exr", f));
      const Pass python = ReadRaw(raw + "/out_" + std::to_string(f) + ".f32");
      ASSERT_EQ(exr.samples.size(), python.size()) << "frame " << f;
      const Frame rendered = Render(f);
      for (std::size_t s = 0; s < python.size(); ++s) {
        const std::size_t channels = exr.names.size();
        ASSERT_EQ(static_cast<float>(exr.samples[s]), python[s])
            << "frame " << f << ", pixel " << s / channels << ", channel " << s % channels;
        const std::size_t at = (s / channels) * 4 + s % channels;
        changed += f > 1 && std::abs(python[s] - rendered.colour[at]) > 0.05f;
      }
    }
    // The frames are blurred, not just passed through alike.
    EXPECT_GT(changed, 20);
  }
}

TEST(PythonPackageTest, ObjectsGroupsAndErrorsBehave) {
  if (!kBuilt) GTEST_SKIP() << "configure with -DQXV_BUILD_PYTHON=ON to build the package";
  ScratchFolder scratch;
  const std::string log = scratch / "python.log";
  EXPECT_EQ(RunPython("package_checks.py", "", log), 0) << LogText(log);
}

TEST(PythonPackageTest, EveryVersionIsTheProjects) {
  if (!kBuilt) GTEST_SKIP() << "configure with -DQXV_BUILD_PYTHON=ON to build the package";
  ScratchFolder scratch;
  const std::string log = scratch / "python.log";
  const std::string arguments =
      std::string(QXV_VERSION) + " " + kAddonDir + " " + std::string(QXV_SOURCE_DIR);
  EXPECT_EQ(RunPython("versions.py", arguments, log), 0) << LogText(log);
}

// Two Blurs used from two threads at once, one reading and writing files
// and the other blurring arrays, give what each gives alone, and neither
// holds Python while it blurs (two_threads.py).
TEST(PythonPackageTest, TwoThreadsBlurAsOneAfterTheOther) {
  if (!kBuilt) GTEST_SKIP() << "configure with -DQXV_BUILD_PYTHON=ON to build the package";
  ScratchFolder scratch;
  for (int f = 1; f <= kFrames; ++f) {
    const Frame frame = Render(f);
    const std::string at = "_" + std::to_string(f);
    std::vector<std::pair<std::string, Pass>> channels;
    for (std::size_t k = 0; k < 4; ++k) {
      channels.emplace_back(std::string(1, "RGBA"[k]), Channel(frame.colour, 4, k));
    }
    channels.emplace_back("IndexOB.V", frame.index);
    channels.emplace_back("Vector.X", Channel(frame.vector, 2, 0));
    channels.emplace_back("Vector.Y", Channel(frame.vector, 2, 1));
    WriteFloatChannels(scratch / ("frame" + at + ".exr"), kWidth, kHeight, channels);
    WriteRaw(scratch / ("colour" + at + ".f32"), frame.colour);
    WriteRaw(scratch / ("index" + at + ".f32"), frame.index);
    WriteRaw(scratch / ("match" + at + ".f32"), frame.match);
  }
  const std::string log = scratch / "python.log";
  const std::string arguments = (scratch / "") + " " + std::to_string(kWidth) + " " +
                                std::to_string(kHeight) + " " + std::to_string(kFrames);
  EXPECT_EQ(RunPython("two_threads.py", arguments, log), 0) << LogText(log);
}

}  // namespace
}  // namespace qxv::tool::test
