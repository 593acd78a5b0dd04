// Bad command lines and bad files: one line naming the flag or file and the
// reason, status 2 for usage and 1 for input, and no partial output.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "tests/tool/support.h"
#include "apply/output/output_images.h"

namespace qxv::tool::test {
namespace {

const std::string kLeftOut = "(left out)";

class ToolErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ToolRun r =
        RunTool({"demo", "--out", in_, "--size", "64x36", "--frames", "1", "--passes", "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ofstream(scratch_ / "text_000.png") << "not a picture\n";
    std::ifstream whole(in_ + "/rendered_000.png", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    std::ofstream(scratch_ / "truncated_000.png", std::ios::binary) << bytes.substr(0, 90);
    apply::WriteImage(scratch_ / "gray_000.png",
               apply::ValueImage(std::vector<std::uint32_t>(64 * 36, 1), 64, 36));
    apply::WriteImage(scratch_ / "small_000.png",
               apply::ValueImage(std::vector<std::uint32_t>(40 * 20, 1), 40, 20));
    std::filesystem::copy_file(in_ + "/rendered_000.png", scratch_ / "mixed_000.png");
    apply::WriteImage(scratch_ / "mixed_001.png",
               apply::ColourImage(std::vector<std::uint32_t>(40 * 20, 0), {}, 40, 20, false));
    // Frames that differ from the first in one side only.
    for (const auto& [stem, w, h] : {std::tuple{"wide", 64u, 20u}, std::tuple{"tall", 40u, 36u}}) {
      std::filesystem::copy_file(in_ + "/rendered_000.png", scratch_ / (stem + std::string("_000.png")));
      apply::WriteImage(scratch_ / (stem + std::string("_001.png")),
                        apply::ColourImage(std::vector<std::uint32_t>(w * h, 0), {}, w, h, false));
    }
    std::filesystem::copy_file(in_ + "/rendered_000.png", scratch_ / "gap_000.png");
    std::filesystem::copy_file(in_ + "/rendered_001.png", scratch_ / "gap_002.png");
    const std::vector<float> ones(64 * 36, 1.0f);
    WriteFloatChannels(scratch_ / "layers_000.exr", 64, 36,
                       {{"L.UV.U", ones}, {"L.UV.V", ones}, {"L.UV.A", ones}, {"L.Z.Z", ones}});
    std::ifstream exr(scratch_ / "layers_000.exr", std::ios::binary);
    std::string exrBytes((std::istreambuf_iterator<char>(exr)), std::istreambuf_iterator<char>());
    std::ofstream(scratch_ / "cut_000.exr", std::ios::binary)
        << exrBytes.substr(0, exrBytes.size() / 2);
    // Inputs check every frame of the range before the first is read.
    for (const char* stem : {"text", "truncated", "gray", "small"}) {
      std::filesystem::copy_file(scratch_ / (stem + std::string("_000.png")),
                                 scratch_ / (stem + std::string("_001.png")));
    }
    std::filesystem::copy_file(scratch_ / "layers_000.exr", scratch_ / "layers_001.exr");
    std::filesystem::copy_file(scratch_ / "cut_000.exr", scratch_ / "cut_001.exr");
    std::filesystem::copy_file(scratch_ / "layers_000.exr", scratch_ / "bodycut_000.exr");
    // Its header and offset table whole, its last pixels cut off.
    std::ofstream(scratch_ / "bodycut_001.exr", std::ios::binary)
        << exrBytes.substr(0, exrBytes.size() - 16);
    std::ofstream(scratch_ / "blocker") << "a file, not a folder\n";
    std::filesystem::create_directories(scratch_ / "taken_000.png");
  }

  // A good apply command line with one flag's value replaced, added, or
  // (given kLeftOut) left out.
  std::vector<std::string> Apply(const std::string& flag, const std::string& value) const {
    std::vector<std::string> args = {"apply", "--quiet"};
    const std::pair<std::string, std::string> good[] = {{"--colour", in_ + "/rendered_%03d.png"},
                                                        {"--index", in_ + "/index_%03d.png"},
                                                        {"--match1", in_ + "/match1_%03d.png"},
                                                        {"--match2", in_ + "/match2_%03d.png"},
                                                        {"--output", scratch_ / "out/o_%03d.png"}};
    bool replaced = false;
    for (const auto& [name, path] : good) {
      if (name == flag && value == kLeftOut) {
        replaced = true;
        continue;
      }
      args.push_back(name);
      args.push_back(name == flag ? value : path);
      replaced |= name == flag;
    }
    if (!replaced) {
      args.push_back(flag);
      if (!value.empty()) args.push_back(value);
    }
    return args;
  }

  ScratchFolder scratch_;
  const std::string in_ = scratch_ / "in";
};

struct Case {
  std::vector<std::string> args;
  int status;
  std::string message;
};

TEST_F(ToolErrorsTest, EachBadInputIsNamedWithItsReasonAndStatus) {
  const std::string s = scratch_ / "";
  const Case cases[] = {
      {{}, 2, "missing command"},
      {{"render"}, 2, "'render': unknown command"},
      {{"demo", "--bogus"}, 2, "--bogus: unknown option (see pblur --help)"},
      // A slip of the keyboard is answered with the option meant, among the
      // command's own.
      {{"apply", "--color", "c_%d.png"}, 2, "--color: unknown option; did you mean --colour?"},
      {{"apply", "--vectors", "v_%d.exr"}, 2, "--vectors: unknown option; did you mean --vector?"},
      {{"demo", "--frame", "3"}, 2, "--frame: unknown option; did you mean --frames?"},
      {{"demo", "--strength"}, 2, "--strength: needs a value"},
      {{"demo", "--strength", "lots"}, 2, "--strength: expected a number of 0 or more, got 'lots'"},
      {{"demo", "--mode", "some"}, 2, "--mode: expected all, opt-in, opt-out or none"},
      {{"demo", "--size", "640"}, 2, "--size: expected WIDTHxHEIGHT"},
      {{"demo", "--frames", "0"}, 2, "--frames: expected a whole number from 1 to 1000"},
      {{"demo", "--colour", "a_%d.png"}, 2, "--colour: not an option of pblur demo"},
      {{"demo", "--quiet=yes"}, 2, "--quiet: takes no value"},
      {{"apply", "--colour", "c_%d.png"}, 2, "--index: required by pblur apply"},
      {Apply("--colour", "frame.png"), 2, "--colour: 'frame.png' needs exactly one frame number"},
      {Apply("--depth-test", ""), 2, "--depth-test: needs --depth"},
      {Apply("--match2", kLeftOut), 2, "--match1: needs --match2"},
      {Apply("--uv", s + "layers_%03d.exr:L.UV"), 2, "more than one source of match values"},
      {Apply("--colour", in_ + "/rendered_%03d.png:"), 2, "names no channel after ':'"},
      {Apply("--vector-scale", "1,x"), 2, "--vector-scale: expected a number"},
      {Apply("--look", "blur"), 2, "--look: expected streak or shutter, got 'blur'"},
      {Apply("--shutter", "1.5"), 2,
       "--shutter: expected a fraction of the frame interval above 0 and at most 1"},
      {Apply("--shutter", "0.3"), 2, "--shutter: a setting of --look shutter"},
      {Apply("--look", "shutter"), 2, "--match1: a setting of the streak look, not of --look shutter"},
      {{"apply", "--look", "shutter", "--colour", in_ + "/rendered_%03d.png", "--output",
        s + "o_%03d.png"}, 2, "--look shutter: needs --vector"},
      {Apply("--output", s + "out/o_%03d.xyz"), 2, "--output: no image format writes"},
      {Apply("--output", in_ + "/index_%03d.png"), 2,
       "--output: " + in_ + "/index_000.png would overwrite a file of --index"},
      {Apply("--colour", s + "missing_%03d.png"), 1, "--colour: no file matches"},
      {Apply("--colour", s + "gap_%03d.png"), 1,
       "--colour: " + s + "gap_001.png: No such file (frame 1)"},
      {Apply("--colour", s + "text_%03d.png"), 1,
       "--colour: " + s + "text_000.png: corrupt or unreadable (Not a PNG file)"},
      {Apply("--colour", s + "truncated_%03d.png"), 1,
       "--colour: " + s + "truncated_000.png: corrupt or unreadable (cut short inside a chunk)"},
      {Apply("--match1", s + "cut_%03d.exr:L.Z.Z"), 1, "--match1: " + s + "cut_000.exr: corrupt or unreadable"},
      {Apply("--colour", s + "gray_%03d.png"), 1,
       "--colour: " + s + "gray_000.png: 1 channel (Y), expected 3 or 4"},
      {Apply("--index", in_ + "/rendered_%03d.png"), 1,
       "--index: " + in_ + "/rendered_000.png: 3 channels (R, G, B), expected 1; name them as PATTERN:CHANNELS"},
      {Apply("--index", s + "layers_%03d.exr:L.UV.U,L.UV.V"), 1,
       "--index: " + s + "layers_000.exr:L.UV.U,L.UV.V: 2 channels, expected 1"},
      {Apply("--index", s + "layers_%03d.exr:L.UV"), 1,
       "--index: " + s + "layers_000.exr:L.UV: 3 channels (L.UV.A, L.UV.U, L.UV.V), expected 1"},
      {Apply("--index", s + "layers_%03d.exr:L.Index"), 1,
       "--index: " + s + "layers_000.exr: no channel or layer 'L.Index'; its channels: L.UV.A, L.UV.U, L.UV.V, "
           "L.Z.Z"},
      {Apply("--index", s + "layers_%03d.exr:L.UV.U,L.X"), 1,
       "--index: " + s + "layers_000.exr: no channel 'L.X'; its channels:"},
      {Apply("--match2", s + "small_%03d.png:Y"), 1,
       "--match2: " + s + "small_000.png: 40x20, but " + in_ + "/rendered_000.png is 64x36"},
      {Apply("--colour", s + "mixed_%03d.png"), 1, "--colour: " + s + "mixed_001.png: 40x20, but"},
      {Apply("--match1", s + "bodycut_%03d.exr:L.Z.Z"), 1,
       "--match1: " + s + "bodycut_001.exr: corrupt or unreadable"},
      {Apply("--output", s + "blocker/o_%03d.png"), 1,
       "--output: cannot make folder " + s + "blocker"},
      {Apply("--output", s + "taken_%03d.png"), 1, "--output: frame 0: " + s + "taken_000.png: cannot write"},
      {{"demo", "--out", s + "blocker/demo"}, 1, "--out: cannot make folder"},
      {{"demo", "--module", s + "no_module.so"}, 1, "module " + s + "no_module.so"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  // A frame that failed to write leaves nothing; frames before one whose
  // body turns out corrupt stay.
  EXPECT_FALSE(std::filesystem::exists(s + "taken_000.png.part"));
  EXPECT_TRUE(std::filesystem::exists(s + "out/o_000.png"));
  EXPECT_FALSE(std::filesystem::exists(s + "out/o_001.png"));
}

TEST_F(ToolErrorsTest, AFaultInAnyFramesHeaderStopsTheRunBeforeAnythingIsWritten) {
  const std::string s = scratch_ / "";
  const std::pair<std::string, std::string> late[] = {
      {"--colour", s + "mixed_%03d.png"},        // another size
      {"--colour", s + "wide_%03d.png"},         // another height only
      {"--colour", s + "tall_%03d.png"},         // another width only
      {"--colour", s + "gap_%03d.png"},          // missing
      {"--match1", s + "tail_%03d.png"},         // not an image
  };
  std::filesystem::copy_file(in_ + "/match1_000.png", s + "tail_000.png");
  std::filesystem::copy_file(s + "text_000.png", s + "tail_001.png");
  for (const auto& [flag, value] : late) {
    std::vector<std::string> args = Apply(flag, value);
    const std::string folder = s + "early" + flag;
    *(std::find(args.begin(), args.end(), "--output") + 1) = folder + "/o_%03d.png";
    ToolRun r = RunTool(args);
    EXPECT_EQ(r.status, 1) << value;
    EXPECT_EQ(r.err.rfind("pblur: " + flag + ": ", 0), 0u) << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder + "/o_000.png")) << value;
  }
}

TEST_F(ToolErrorsTest, SettingsThatMissTheirPurposeWarnOnALineOfTheirOwnAndTheRunGoesOn) {
  const std::string s = scratch_ / "";
  for (int f = 0; f <= 1; ++f) {
    apply::WriteImage(s + "rgba_00" + std::to_string(f) + ".png",
                      apply::ColourImage(std::vector<std::uint32_t>(64 * 36, 0x808080),
                                         std::vector<std::uint32_t>(64 * 36, 200), 64, 36, false));
  }
  const Case cases[] = {
      {Apply("--mode", "opt-in"), 0, "pblur: warning: --mode opt-in: "},
      {Apply("--colour", s + "rgba_%03d.png:R,G,B,A"), 0, ""},
      {[&] {
         std::vector<std::string> args = Apply("--colour", s + "rgba_%03d.png");
         *(std::find(args.begin(), args.end(), "--output") + 1) = s + "jpeg/o_%03d.jpg";
         return args;
       }(),
       0, "pblur: warning: --output: " + s + "jpeg/o_000.jpg: its format keeps no alpha"},
      {[&] {
         std::vector<std::string> args = Apply("--match1", kLeftOut);
         args.erase(std::find(args.begin(), args.end(), "--match2"), args.end() - 2);
         args.insert(args.end(), {"--vector", s + "layers_%03d.exr:L.UV"});
         return args;
       }(),
       0, "pblur: warning: --vector: " + s + "layers_000.exr gives L.UV.U, L.UV.V"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.message.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
}

TEST(ToolHelpTest, ExplainsEveryOptionInOneLine) {
  ToolRun r = RunTool({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* option : {"--streak-length",  "--strength", "--alt-length", "--alt-strength",
                             "--echoes",         "--jitter",   "--depth-test", "--no-secondary",
                             "--reverse-length", "--trails",   "--mode",       "--frames",
                             "--size",           "--tile",     "--out",        "--quiet",
                             "--colour",         "--index",    "--uv",         "--vector",
                             "--vector-scale",   "--match1",   "--match2",     "--depth",
                             "--alternate",      "--first",    "--last",       "--output",
                             "--lead-in"}) {
    EXPECT_NE(r.out.find(std::string("\n  ") + option + " "), std::string::npos) << option;
  }
  // What apply makes of float colour and of samples that are not numbers.
  for (const char* note : {"codes that reach past 1", "x to the right and y up",
                           "NaN and infinity farthest", "NaN/inf count as no motion"}) {
    EXPECT_NE(r.out.find(note), std::string::npos) << note;
  }
}

}  // namespace
}  // namespace qxv::tool::test
