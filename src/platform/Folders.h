// The few facts about the machine that decide where the game's data and its
// settings are: environment variables, the executable's folder, and plain
// file operations on the settings folder.
#pragma once

#include <string>

namespace platform {

// Whose rules decide where the settings go: the XDG ones or %APPDATA%'s.
enum class FolderRules { Posix, Windows };
FolderRules SystemFolderRules();

// The variable's value; empty when it is unset.
std::string GetEnvironment(const char* name);
// The absolute folder of the running executable (symlinks resolved); empty
// when the system cannot tell.
std::string ExecutableFolder();
std::string WorkingFolder();
bool PathExists(const std::string& path);
// Creates `path` and any missing parents, each new one open to its owner only.
bool MakePrivateFolder(const std::string& path, std::string& error);
// Copies the file `from` to `to`; `from` is left as it was.
bool CopyFile(const std::string& from, const std::string& to, std::string& error);
// Makes the settings just written outlast the program. A desktop's files do
// once written; the browser keeps them in its own storage only when told.
bool KeepSettings(std::string& error);
// True for the superuser of a POSIX system (libraries such as Xlib keep no
// per-user caches for it); false on Windows.
bool IsSuperuser();
// The user's pictures folder where the system names one itself (Windows'
// known folder); empty where the XDG variables decide it.
std::string PicturesFolder();

} // namespace platform
