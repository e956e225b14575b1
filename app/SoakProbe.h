// Compiled only into VantrySoak.exe, the build of the program that the soak run
// (scripts/soak.sh) keeps in the tray for many minutes: after every monitoring
// cycle it appends the process's resource counts to soak.log beside the
// executable, and once a file soak.stop appears there it closes the program the
// way "閉じる" in the tray menu does.
#pragma once

class TForm1;

namespace app {

void InstallSoakProbe(TForm1& form);

}  // namespace app
