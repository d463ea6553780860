#pragma once
// The platform side of Moravek. Kept apart from the exported functions because
// <windows.h> declares a GetVersion of its own.
#include <string>

namespace Moravek {

// What identifies this machine: the machine id (Linux) or the system drive's volume serial
// and the computer name (Windows). The test build of the library (MORAVEK_TEST_HOOKS) reads
// the id file named by MORAVEK_MACHINE_ID_FILE first, when it is readable and not blank.
std::string MachineIdentity();

// The file version of the executable at gbkPath; empty when none can be found.
std::string FileVersion(const char* gbkPath);

}   // namespace Moravek
