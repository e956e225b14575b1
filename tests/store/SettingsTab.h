// The settings tab's controls at their designed defaults, without a window, with
// what reading reports: the plain notices, and the runs of CheckBox4's click
// handler (the start-up registration).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/Settings.h"

struct SettingsTab {
  toolkit::TCheckBox CheckBox3;
  toolkit::TCheckBox CheckBox4;
  toolkit::TCheckBox CheckBox5;
  toolkit::TCheckBox CheckBox1;
  toolkit::TSpinEdit SpinEdit1{1, 60, 10};
  toolkit::TSpinEdit SpinEdit2{10, 200, 100};
  toolkit::TListView ListView4;
  store::TLineBuffer Memo2;
  store::TSettingsFileState state;
  std::vector<std::string> notices;
  int registrations = 0;
  store::TSettingsControls controls{CheckBox3, CheckBox4, CheckBox5, CheckBox1,
                                    SpinEdit1, SpinEdit2, ListView4};

  SettingsTab() {
    CheckBox4.OnClick = [this] { ++registrations; };
  }

  void Read(const std::string& path) {
    store::ReadSettings(
        path, Memo2, controls, [this](const std::string& text) { notices.push_back(text); },
        state);
  }
  void Write(const std::string& path) { store::WriteSettings(path, controls, state); }
  std::vector<std::string> Folders() const {
    std::vector<std::string> folders;
    for (const auto& row : ListView4.Items()) folders.push_back(row.Caption);
    return folders;
  }
  void ExpectDefaults() const {
    EXPECT_FALSE(CheckBox3.Checked());
    EXPECT_FALSE(CheckBox4.Checked());
    EXPECT_FALSE(CheckBox5.Checked());
    EXPECT_FALSE(CheckBox1.Checked());
    EXPECT_EQ(10, SpinEdit1.Value());
    EXPECT_EQ(100, SpinEdit2.Value());
    EXPECT_EQ(0, ListView4.Count());
  }
};
