// The older settings forms over arbitrary bytes: the form is told by the exact
// first line, each flag is on only for a line that is exactly "1", each number
// line keeps its text and is valid exactly when the reference says so; and the
// two integer rules agree with the references on every line of the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "store/LineBuffer.h"
#include "store/OldSettings.h"

namespace {

// Lines (counted from 1, the version line being line 1) of each value in each
// form, as the forms were written: start in tray, start-up, deletion check,
// interval, log rows; 0 where the form has none.
struct Layout {
  const char* firstLine;
  store::TSettingsForm form;
  int lines[5];
};

const Layout kLayouts[] = {
    {"Ver1.00", store::TSettingsForm::Ver100, {4, 5, 0, 6, 7}},
    {"Ver1.10", store::TSettingsForm::Ver110, {4, 5, 6, 7, 8}},
    {"Ver1.20", store::TSettingsForm::Ver120, {2, 3, 4, 5, 6}},
};

std::string LineAt(const store::TLineBuffer& lines, int line) {
  return line > 0 && line <= lines.Count() ? lines[line - 1] : std::string();
}

void CheckNumber(const store::TNumberLine& number, const std::string& line) {
  FUZZ_CHECK(number.Text == line);
  int expected = 0;
  FUZZ_CHECK(number.Valid == fuzzref::Decimal(line, &expected));
  if (number.Valid) FUZZ_CHECK(number.Value == expected);
}

void CheckIntegerRules(const std::string& text) {
  int value = 12345, expected = 0;
  const bool valid = store::ParseDecimal(text, &value);
  FUZZ_CHECK(valid == fuzzref::Decimal(text, &expected));
  if (valid) FUZZ_CHECK(value == expected);
  else FUZZ_CHECK(value == 12345);  // a failed parse leaves the value alone

  value = 12345;
  const bool profileValid = store::ParseProfileInteger(text, &value);
  FUZZ_CHECK(profileValid == fuzzref::ProfileInteger(text, &expected));
  if (profileValid) FUZZ_CHECK(value == expected);
  else FUZZ_CHECK(value == 12345);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  store::TLineBuffer lines;
  lines.SetText(text);

  const store::TSettingsForm form = store::SettingsFormOf(lines);
  const std::string first = LineAt(lines, 1);
  store::TSettingsForm expected = store::TSettingsForm::Unknown;
  if (lines.Count() > 0 && first == "[Information]") expected = store::TSettingsForm::Current;
  for (const Layout& layout : kLayouts)
    if (lines.Count() > 0 && first == layout.firstLine) expected = layout.form;
  FUZZ_CHECK(form == expected);

  for (const Layout& layout : kLayouts) {
    // Every form is read from the same lines, whatever the first line says: the
    // reader must hold for any of them.
    const store::TOldSettings s = store::ReadOldSettings(layout.form, lines);
    const bool flags[3] = {s.StartInTray, s.StartUp, s.DeleteCheck};
    for (int i = 0; i < 3; ++i)
      FUZZ_CHECK(flags[i] == (layout.lines[i] > 0 && LineAt(lines, layout.lines[i]) == "1"));
    CheckNumber(s.Interval, LineAt(lines, layout.lines[3]));
    CheckNumber(s.Log, LineAt(lines, layout.lines[4]));
    FUZZ_CHECK(store::NotValidIntegerMessage(s.Interval.Text) ==
               "'" + s.Interval.Text + "' is not a valid integer value");
  }

  CheckIntegerRules(text);
  for (int i = 0; i < lines.Count() && i < 64; ++i) CheckIntegerRules(lines[i]);
  return 0;
}
