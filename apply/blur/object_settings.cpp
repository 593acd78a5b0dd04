#include "apply/blur/object_settings.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "apply/apply_error.h"

namespace qxv::apply {
namespace {

// Just enough JSON for the table: objects, strings, true, false and null.
class TableParser {
 public:
  TableParser(const std::string& text, const std::string& source) : s_(text), source_(source) {}

  ObjectTable Table() {
    ObjectTable table;
    Expect('{');
    if (!Take('}')) {
      do {
        const std::string key = String();
        Expect(':');
        const long long index = Index(key);
        if (table.count(index)) Fail("object " + key + " is given twice");
        table[index] = Object(key);
      } while (Take(','));
      Expect('}');
    }
    Space();
    if (at_ != s_.size()) Fail("text after the table");
    return table;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    InputError(source_ + ": " + why + " (at character " + std::to_string(at_ + 1) + ")");
  }
  void Space() {
    while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
  }
  bool Take(char c) {
    Space();
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) Fail(std::string("expected '") + c + "'");
  }
  bool Word(const char* word) {
    Space();
    const std::string w(word);
    if (s_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }
  std::string String() {
    Expect('"');
    std::string out;
    while (at_ < s_.size() && s_[at_] != '"') {
      if (s_[at_] == '\\') {
        if (++at_ >= s_.size()) break;
        const char c = s_[at_];
        if (c != '"' && c != '\\' && c != '/') Fail("only \\\", \\\\ and \\/ escapes are read");
      }
      out += s_[at_++];
    }
    if (at_ >= s_.size()) Fail("a string is not closed");
    ++at_;
    return out;
  }
  long long Index(const std::string& key) const {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(key.c_str(), &end, 10);
    if (key.empty() || *end != '\0' || errno == ERANGE || v < 1) {
      Fail("object index '" + key + "' is not a whole number of 1 or more");
    }
    return v;
  }
  std::optional<bool> Flag(const std::string& what, bool nullAllowed) {
    if (Word("true")) return true;
    if (Word("false")) return false;
    if (nullAllowed && Word("null")) return std::nullopt;
    Fail(what + ": expected true" + (nullAllowed ? ", false or null" : " or false"));
  }
  ObjectSettings Object(const std::string& key) {
    ObjectSettings o;
    Expect('{');
    if (Take('}')) return o;
    do {
      const std::string name = String();
      Expect(':');
      const std::string what = "object " + key + " \"" + name + "\"";
      if (name == "blur") {
        o.blur = Flag(what, true);
      } else if (name == "reverse") {
        o.reverse = *Flag(what, false);
      } else if (name == "group") {
        Space();
        if (Word("null")) {
          o.group.clear();
        } else {
          if (at_ >= s_.size() || s_[at_] != '"') Fail(what + ": expected a string or null");
          o.group = String();
        }
      } else {
        Fail("object " + key + ": unknown setting \"" + name + "\" (blur, reverse, group)");
      }
    } while (Take(','));
    Expect('}');
    return o;
  }

  const std::string& s_;
  const std::string& source_;
  std::size_t at_ = 0;
};

}  // namespace

ObjectTable ParseObjectTable(const std::string& text, const std::string& source) {
  return TableParser(text, source).Table();
}

ObjectTable ReadObjectTable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) InputError(path + ": cannot be opened");
  std::ostringstream text;
  text << in.rdbuf();
  return ParseObjectTable(text.str(), path);
}

}  // namespace qxv::apply
