// The main window. Its controls are the program's tables and the holders of its
// shared state; the work on them lives in monitor/ and store/.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/Handle.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListView.h"
#include "toolkit/StringList.h"

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

  toolkit::TStringList& CurrentPids() { return ListBox1; }
  std::string& SnapshotTime() { return Edit2; }
  bool TrayMonitoring() const { return ImageList1.Tag != 0; }
  void SetTrayMonitoring(bool on) { ImageList1.Tag = on ? 1 : 0; }

  void GetProcessesList();
  void ListFileProperty();
  void RefreshCurrentProcesses();
  void Button1Click();

  // Window side.
  bool CreateWindowed(HINSTANCE instance, int showCommand);
  HWND Handle() const { return hwnd_; }

private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Layout();

  HWND hwnd_ = nullptr;
  HWND button1_ = nullptr;
  HFONT font_ = nullptr;
};
