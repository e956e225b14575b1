// How many kernel handles, GDI objects and USER objects this process holds, and
// its private memory: the figures a program that runs for days must keep flat.
//
// Windows answers the first three through GetProcessHandleCount and
// GetGuiResources. Wine 8 leaves some of them as stubs that answer 0 whatever the
// process holds, so each counter is first checked by taking one object of its
// kind and seeing the figure move; a counter that does not move is replaced by a
// walk over the handle values that asks each one what it is:
//   kernel handles  GetHandleInformation on every multiple of 4, until a long run
//                   of free values (Wine hands out the lowest free value first);
//   GDI objects     GetObjectType on every handle index (Wine's table is per
//                   process and accepts an index without its generation bits);
//   USER objects    windows of this process (IsWindow + GetWindowThreadProcessId),
//                   menus (IsMenu) and icons or cursors (GetIconInfo) among the
//                   user handle indices.
// Private memory is PrivateUsage of GetProcessMemoryInfo; where that stays 0 (Wine),
// PagefileUsage, which Wine fills with the anonymous resident memory and swap of
// the Linux process: what the heaps hold.
#pragma once

#include <cstdint>
#include <string>

namespace toolkit {

struct TResourceCounts {
  long Handles = 0;
  long Gdi = 0;
  long User = 0;
  int64_t PrivateBytes = 0;
};

TResourceCounts CountResources();

// One line that says how each figure of CountResources is obtained on this
// system, such as "handles=GetProcessHandleCount gdi=probe(GetObjectType) ...".
std::string ResourceCountMethods();

}  // namespace toolkit
