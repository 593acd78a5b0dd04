#include "tools/command_line.h"

#include <algorithm>

#include "apply/apply_error.h"
#include "apply/input/pass_table.h"
#include "tools/option_table.h"

namespace qxv::tool {
namespace {

const char* CommandName(Command c) { return c == Command::Demo ? "demo" : "apply"; }

void CheckApply(const Options& o) {
  auto given = [&o](const apply::PassRow& row) { return !(o.*row.source).pattern.empty(); };
  CheckLookSettings(o);
  const bool shutter = o.look == apply::Look::Shutter;
  for (const apply::PassRow& row : apply::kPasses) {
    // The shutter look follows the vectors alone; it needs no object index.
    if (row.Required() && !given(row) && !(shutter && row.source == &apply::ApplySettings::index)) {
      apply::UsageError(std::string(row.flag) + ": required by pblur apply");
    }
  }
  if (o.output.empty()) apply::UsageError("--output: required by pblur apply");
  if (shutter) {
    if (o.vector.pattern.empty()) {
      apply::UsageError("--look shutter: needs --vector, the motion vector frames");
    }
    if (o.first && o.last && *o.last < *o.first) apply::UsageError("--last: comes before --first");
    return;
  }
  // One half of the match values needs the other.
  for (const apply::PassRow& half : apply::kPasses) {
    if (half.match != apply::MatchRole::Half || !given(half)) continue;
    for (const apply::PassRow& other : apply::kPasses) {
      if (other.match == apply::MatchRole::Half && !given(other)) {
        apply::UsageError(std::string(half.flag) + ": needs " + other.flag);
      }
    }
  }
  apply::CheckOneMatchSource(apply::MatchSources(given), "--match1 and --match2, --uv or --vector");
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
    const OptionSpec* spec = FindOption(flag);
    if (!spec) {
      const std::string nearest = NearestOption(flag, mask);
      apply::UsageError(flag + ": unknown option" +
                        (nearest.empty() ? "" : "; did you mean " + nearest + "?") +
                        " (see pblur --help)");
    }
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
    for (const OptionSpec& s : AllOptions()) {
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
