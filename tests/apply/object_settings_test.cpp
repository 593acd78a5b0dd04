// The per-object settings file of --objects: what it reads, and the faults
// it names with their place.
#include <gtest/gtest.h>

#include "apply/apply_error.h"
#include "apply/blur/object_settings.h"

namespace qxv::apply {
namespace {

TEST(ApplyObjectSettingsTest, ReadsEachSettingAndLeavesTheRestUnset) {
  const ObjectTable t = ParseObjectTable(
      R"( {"3": {"blur": false}, "4": {"group": "car", "reverse": true},
           "12": {"blur": null, "group": null}, "5": {}} )",
      "objects.json");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t.at(3).blur, std::optional<bool>(false));
  EXPECT_FALSE(t.at(4).blur.has_value());
  EXPECT_TRUE(t.at(4).reverse);
  EXPECT_EQ(t.at(4).group, "car");
  EXPECT_FALSE(t.at(12).blur.has_value());
  EXPECT_EQ(t.at(12).group, "");
  EXPECT_TRUE(ParseObjectTable("{}", "f").empty());
}

TEST(ApplyObjectSettingsTest, NamesTheFileAndTheFault) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "f: expected '{' (at character 1)"},
      {R"({"0": {}})", "f: object index '0' is not a whole number of 1 or more"},
      {R"({"x": {}})", "f: object index 'x' is not a whole number of 1 or more"},
      {R"({"2": {}, "2": {}})", "f: object 2 is given twice"},
      {R"({"2": {"blur": 1}})", "f: object 2 \"blur\": expected true, false or null"},
      {R"({"2": {"reverse": null}})", "f: object 2 \"reverse\": expected true or false"},
      {R"({"2": {"group": 3}})", "f: object 2 \"group\": expected a string or null"},
      {R"({"2": {"speed": 3}})", "f: object 2: unknown setting \"speed\" (blur, reverse, group)"},
      {R"({"2": {"group": "open})", "f: a string is not closed"},
      {R"({"2": {}} x)", "f: text after the table"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ParseObjectTable(c.text, "f");
      ADD_FAILURE() << "no error";
    } catch (const ApplyError& e) {
      EXPECT_EQ(e.kind, ErrorKind::Input);
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace qxv::apply
