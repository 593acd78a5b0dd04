#include "tools/options.h"

#include <algorithm>

#include "tools/option_table.h"
#include "apply/apply_error.h"

namespace qxv::tool {
namespace {

const char* CommandName(Command c) { return c == Command::Demo ? "demo" : "apply"; }

void CheckApply(const Options& o) {
  const std::pair<const char*, const std::string*> required[] = {
      {"--colour", &o.colour.pattern}, {"--index", &o.index.pattern}, {"--output", &o.output}};
  for (const auto& r : required) {
    if (o.look == apply::Look::Shutter && r.second == &o.index.pattern) continue;
    if (r.second->empty()) apply::UsageError(std::string(r.first) + ": required by pblur apply");
  }
  CheckLookSettings(o);
  if (o.look == apply::Look::Shutter) {
    if (o.vector.pattern.empty()) {
      apply::UsageError("--look shutter: needs --vector, the motion vector frames");
    }
    if (o.first && o.last && *o.last < *o.first) apply::UsageError("--last: comes before --first");
    return;
  }
  const bool m1 = !o.match1.pattern.empty(), m2 = !o.match2.pattern.empty();
  if (m1 != m2) apply::UsageError(m1 ? "--match1: needs --match2" : "--match2: needs --match1");
  const int sources = int{m1} + int{!o.uv.pattern.empty()} + int{!o.vector.pattern.empty()};
  if (sources != 1) {
    apply::UsageError(std::string(sources == 0 ? "missing" : "more than one") +
               " source of match values: give --match1 and --match2, --uv or --vector");
  }
  if (o.edits.depthTest.value_or(false) && o.depth.pattern.empty()) {
    apply::UsageError("--depth-test: needs --depth, the depth frames");
  }
  if (o.first && o.last && *o.last < *o.first) apply::UsageError("--last: comes before --first");
}

}  // namespace

void CheckLookSettings(const apply::ApplySettings& o) {
  if (o.look == apply::Look::Streak) {
    if (o.shutter) apply::UsageError("--shutter: a setting of --look shutter");
    return;
  }
  const ParameterEdits& e = o.edits;
  const std::pair<const char*, bool> streakOnly[] = {
      {"--streak-length", e.streakLength.has_value()}, {"--strength", e.mainStrength.has_value()},
      {"--alt-length", e.altLength.has_value()},       {"--alt-strength", e.altStrength.has_value()},
      {"--echoes", e.echoCount.has_value()},           {"--reverse-length", e.reverseLength.has_value()},
      {"--trails", e.trailFrames.has_value()},         {"--jitter", e.jitter.has_value()},
      {"--depth-test", e.depthTest.has_value()},       {"--no-secondary", e.secondaryLayer.has_value()},
      {"--mode", e.modeCommand.has_value()},           {"--uv", !o.uv.pattern.empty()},
      {"--match1", !o.match1.pattern.empty()},         {"--match2", !o.match2.pattern.empty()},
      {"--alternate", !o.alternate.pattern.empty()},   {"--objects", !o.objects.empty()},
      {"--lead-in", o.leadIn.has_value()}};
  for (const auto& [flag, given] : streakOnly) {
    if (given) {
      apply::UsageError(std::string(flag) + ": a setting of the streak look, not of --look shutter");
    }
  }
}

Options ParseCommandLine(const std::vector<std::string>& args) {
  Options o;
  if (args.empty()) apply::UsageError("missing command: pblur demo or pblur apply (see pblur --help)");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") return o;
  if (args[0] == "--version") {
    o.command = Command::Version;
    return o;
  }
  if (args[0] == "demo") {
    o.command = Command::Demo;
  } else if (args[0] == "apply") {
    o.command = Command::Apply;
  } else {
    apply::UsageError("'" + args[0] + "': unknown command; use demo or apply (see pblur --help)");
  }
  const unsigned mask = o.command == Command::Demo ? kDemo : kApply;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      o.helpTopic = o.command;
      o.command = Command::Help;
      return o;
    }
    std::string flag = args[i], value;
    std::string::size_type eq = flag.find('=');
    bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
      value = flag.substr(eq + 1);
      flag.erase(eq);
    }
    const OptionSpec* spec = nullptr;
    for (std::size_t k = 0; k < kOptionCount; ++k) {
      const OptionSpec& s = kOptions[k];
      if (flag == s.name) spec = &s;
    }
    if (!spec) apply::UsageError(flag + ": unknown option (see pblur --help)");
    if (!(spec->commands & mask)) {
      apply::UsageError(flag + ": not an option of pblur " + CommandName(o.command));
    }
    if (spec->argument && !inlineValue) {
      if (i + 1 >= args.size()) apply::UsageError(flag + ": needs a value (" + spec->argument + ")");
      value = args[++i];
    } else if (!spec->argument && inlineValue) {
      apply::UsageError(flag + ": takes no value");
    }
    spec->apply(o, flag, value);
  }
  if (o.command == Command::Apply) CheckApply(o);
  return o;
}

void PrintHelp(std::ostream& out, Command topic) {
  const char* demoUsage = "pblur demo [options]    render the built-in animated scene and blur it\n";
  const char* applyUsage = "pblur apply [options]   blur your own renders (PNG, OpenEXR, TIFF, ...)\n";
  const bool demo = topic != Command::Apply, apply = topic != Command::Demo;
  out << "pblur: the QXVpblur motion blur outside the host\n\n";
  if (demo && apply) {
    out << "usage: " << demoUsage << "       " << applyUsage
        << "       pblur --version         print the version\n"
        << "       pblur COMMAND --help    the options of one command\n\n";
  } else {
    out << "usage: " << (demo ? demoUsage : applyUsage) << "\n";
  }
  const char* headings[] = {
      demo && apply ? "options of both commands (module default; demo default):"
                    : "options (module default; demo default):",
      "pblur demo:",
      "pblur apply (PAT: a file name with one frame number, %d, %04d or ####;\n"
      "  PAT:CH also names the layer or comma-separated channels to read):"};
  const unsigned groups[] = {kBoth, kDemo, kApply};
  for (int g = 0; g < 3; ++g) {
    if ((groups[g] == kDemo && !demo) || (groups[g] == kApply && !apply)) continue;
    out << headings[g] << "\n";
    for (std::size_t k = 0; k < kOptionCount; ++k) {
      const OptionSpec& s = kOptions[k];
      if (s.commands != groups[g]) continue;
      std::string left =
          std::string("  ") + s.name + (s.argument ? std::string(" ") + s.argument : "");
      left.resize(std::max<std::size_t>(left.size() + 1, 22), ' ');
      out << left << s.help << "\n";
    }
    out << "\n";
  }
  if (apply) out << kApplyNotes;
}

}  // namespace qxv::tool
