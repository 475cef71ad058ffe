// Pictures of the back buffer: the --screenshot files and the Print Screen key.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

class TmainForm;

// Writes the back buffer as an 800 x 600 PNG (black while there is none).
bool WriteFramePng(const std::string& path, TmainForm& form);

// Where the Print Screen key puts its pictures, best first:
// $XDG_PICTURES_DIR/Brinehold, ~/Pictures/Brinehold, then the settings folder;
// on Windows the user's Pictures\Brinehold, then the settings folder.
std::vector<std::filesystem::path> ScreenshotFolders();
// "brinehold-YYYYMMDD-HHMMSS.png" in local time.
std::string ScreenshotFileName(std::time_t when);
// Writes the frame into the first of the folders that takes it, under a name
// no earlier picture has, and logs the path; empty when none could.
std::string SaveScreenshot(TmainForm& form);
