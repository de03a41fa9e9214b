#pragma once
// Qt-free: whether the system itself can start a file.
#include <string>

namespace kiro {

// True for a regular file that this process may execute and that the kernel can start: an ELF
// program or a "#!" script. An execute bit alone says nothing: a FAT stick, NTFS and many
// archives set it on every file, a Windows program and a document included; those belong to
// the desktop's opener.
bool SystemStartbar(const std::string& Pfad);

}  // namespace kiro
