// The main window. Its controls are the program's tables and the holders of its
// shared state; the work on them lives in monitor/ and store/.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/Comparison.h"
#include "store/DataFiles.h"
#include "store/LineBuffer.h"
#include "store/TextFile.h"
#include "toolkit/Handle.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListView.h"
#include "toolkit/StringList.h"

// A spin box as the program reads it: a whole number that a value set by the
// program is brought into the range of at once.
class TSpinEdit {
public:
  TSpinEdit(int minValue, int maxValue, int value)
      : MinValue(minValue), MaxValue(maxValue), value_(Clamp(value)) {}
  int Value() const { return value_; }
  void SetValue(int value) { value_ = Clamp(value); }
  const int MinValue;
  const int MaxValue;

private:
  int Clamp(int v) const { return v < MinValue ? MinValue : v > MaxValue ? MaxValue : v; }
  int value_;
};

class TForm1 {
public:
  TForm1();
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Tables and state holders.
  toolkit::TListView ListView1;  // current processes
  toolkit::TStringList ListBox1;  // CurrentPids: one identifier per ListView1 row
  std::string Edit2;              // SnapshotTime
  toolkit::TImageList ImageList1;  // row icons; its tag is TrayMonitoring
  toolkit::IconHandle Image2;      // the fallback icon, image 0 of ImageList1
  toolkit::TListView ListView2;    // the process list (KnownProgram rows)
  toolkit::TListView ListView3;    // the event log (LogEntry rows), oldest first
  toolkit::TListView ListView4;    // the ignored folders
  TSpinEdit SpinEdit2{10, 200, 100};  // the maximum number of log rows
  store::TLineBuffer Memo2;        // the line buffer of the data and settings files
  int AddedCount = 0;              // counts of the latest comparison
  int UpdatedCount = 0;

  toolkit::TStringList& CurrentPids() { return ListBox1; }
  std::string& SnapshotTime() { return Edit2; }
  bool TrayMonitoring() const { return ImageList1.Tag != 0; }
  void SetTrayMonitoring(bool on) { ImageList1.Tag = on ? 1 : 0; }

  void GetProcessesList();
  void ListFileProperty();
  void RefreshCurrentProcesses();
  void Button1Click();
  void ListFileCompares();

  // The start-up loading and the shutdown saving of ProcessList.dat and Log.dat,
  // in the folder of the executable unless another is given.
  void LoadDataFiles(const std::string& folder = store::ProgramFolder());
  void SaveDataFiles(const std::string& folder = store::ProgramFolder());

  // Window side.
  bool CreateWindowed(HINSTANCE instance, int showCommand);
  HWND Handle() const { return hwnd_; }

private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Layout();

  monitor::TProgramIndex programIndex_;  // first ListView2 row of each program
  store::DataFilesState dataFiles_;      // what the loading made of the data files

  HWND hwnd_ = nullptr;
  HWND button1_ = nullptr;
  HFONT font_ = nullptr;
};
