#include "tools/pblur.h"

#include <exception>

#include "project_version.h"
#include "tools/apply_command.h"
#include "tools/demo_command.h"
#include "tools/command_line.h"
#include "apply/apply_error.h"

namespace qxv::tool {
namespace {

// Unloads a module the tool loaded itself on every way out.
class LoadedModule {
 public:
  LoadedModule(const Options& o, const sim::ModuleExports* linked, const char* argv0) {
    if (!o.modulePath.empty())
      entry_ = apply::LoadModule(o.modulePath);
    else if (linked)
      entry_ = *linked;
    else
      entry_ = apply::LoadModule(apply::FindModule(apply::ModuleFolders(argv0)));
  }
  ~LoadedModule() { sim::UnloadModuleFile(&entry_); }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  const sim::ModuleExports& entry() const { return entry_; }

 private:
  sim::ModuleExports entry_;
};

}  // namespace

int RunPblur(const std::vector<std::string>& args, const sim::ModuleExports* linked, const char* argv0,
             std::ostream& out, std::ostream& err, apply::WriteFault* writeFault) {
  try {
    Options options = ParseCommandLine(args);
    options.writeFault = writeFault;
    if (options.command == Command::Help) {
      PrintHelp(out, options.helpTopic);
      return 0;
    }
    if (options.command == Command::Version) {
      out << "pblur " << QXV_VERSION << "\n";
      return 0;
    }
    LoadedModule module(options, linked, argv0);
    return options.command == Command::Demo ? RunDemo(options, module.entry(), out, err)
                                            : RunApply(options, module.entry(), out, err);
  } catch (const apply::ApplyError& e) {
    err << "pblur: " << e.what() << "\n";
    return e.ExitStatus();
  } catch (const std::exception& e) {
    err << "pblur: " << e.what() << "\n";
    return apply::kExitInput;
  }
}

}  // namespace qxv::tool
