#pragma once

#include <QString>

namespace vistarel {

class IClipboard;
class IClock;
class IDialogs;
class IFileReader;
class IFileSystem;
class ILauncher;
class IRandom;
class ISettingsStore;
class IShell;
class ISpreadsheet;
class ISkinEngine;

// The platform layers the program reaches, made in main (or by a test) and
// handed to the main window. None is owned here.
struct Platform {
  // The folder that holds the program's executable; files beside the program
  // (the hand pointer, the skin, the Splash and Samples folders) are found here.
  QString programFolder;

  IDialogs* dialogs = nullptr;
  ISettingsStore* settings = nullptr;
  IClock* clock = nullptr;
  IRandom* random = nullptr;
  ILauncher* launcher = nullptr;
  IClipboard* clipboard = nullptr;
  ISpreadsheet* spreadsheet = nullptr;
  ISkinEngine* skin = nullptr;
  IFileReader* fileReader = nullptr;
  IFileSystem* fileSystem = nullptr;
  IShell* shell = nullptr;
};

}  // namespace vistarel
