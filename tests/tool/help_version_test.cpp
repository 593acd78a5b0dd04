// The tool's first words: each command's help shows that command's options,
// --version the project's version, and a module that cannot be found is
// reported with every place looked in.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "project_version.h"
#include "tests/tool/support.h"
#include "apply/blur/module_loader.h"
#include "apply/apply_error.h"

namespace qxv::tool::test {
namespace {

using apply::FindModule;
using apply::ModuleFolders;

struct HelpCase {
  std::vector<std::string> args;
  std::vector<std::string> shown, notShown;
};

TEST(ToolHelpTest, EachCommandShowsItsOwnOptions) {
  const std::vector<std::string> demoOnly = {"--frames ", "--size ", "--out ", "--passes "};
  const std::vector<std::string> applyOnly = {"--colour ", "--output ", "--vector-scale ",
                                              "--lead-in "};
  const std::vector<std::string> both = {"--streak-length ", "--mode ", "--module "};
  auto join = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const HelpCase cases[] = {
      {{"demo", "--help"}, join(both, demoOnly), applyOnly},
      {{"demo", "--frames", "3", "-h"}, join(both, demoOnly), applyOnly},
      {{"apply", "--help"}, join(both, applyOnly), demoOnly},
      {{"apply", "--colour", "c_%d.png", "--help"}, join(both, applyOnly), demoOnly},
      {{"--help"}, join(join(both, demoOnly), applyOnly), {}},
  };
  for (const HelpCase& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    const ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    for (const std::string& s : c.shown) EXPECT_NE(r.out.find(s), std::string::npos) << s;
    for (const std::string& s : c.notShown) EXPECT_EQ(r.out.find(s), std::string::npos) << s;
  }
}

TEST(ToolVersionTest, PrintsTheProjectVersion) {
  const ToolRun r = RunTool({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string("pblur ") + QXV_VERSION + "\n");
  EXPECT_TRUE(std::regex_match(QXV_VERSION, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));
}

TEST(ToolModuleTest, AMissingModuleNamesEveryPlaceLookedInAndTheFlag) {
  ScratchFolder scratch;
  const std::vector<std::string> folders = {scratch / "tools", scratch / "build"};
  try {
    FindModule(folders);
    ADD_FAILURE() << "no error";
  } catch (const apply::ApplyError& e) {
    const std::string message = e.what();
    EXPECT_EQ(e.kind, apply::ErrorKind::Module);
    for (const std::string& folder : folders) {
      EXPECT_NE(message.find(folder + "/"), std::string::npos) << message;
    }
    EXPECT_NE(message.find("--module"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }

  // The first folder that has it wins.
#if defined(_WIN32)
  const std::string name = "QXVpblur.dll";
#else
  const std::string name = "libQXVpblur.so";
#endif
  std::filesystem::create_directories(scratch / "build");
  std::ofstream(scratch / ("build/" + name)) << "module";
  EXPECT_EQ(FindModule(folders), scratch / "build" + "/" + name);
}

TEST(ToolModuleTest, LooksInTheProgramsFolderThenTheOneAboveThenWhereItIsInstalled) {
  const std::vector<std::string> folders = ModuleFolders(nullptr);
  ASSERT_EQ(folders.size(), 3u);
  const std::filesystem::path program(folders[0]);
  EXPECT_EQ(std::filesystem::path(folders[1]), program.parent_path());
  // bin/pblur beside lib/qxvpblur/.
  EXPECT_EQ(std::filesystem::path(folders[2]), program.parent_path() / "lib" / "qxvpblur");
}

}  // namespace
}  // namespace qxv::tool::test
