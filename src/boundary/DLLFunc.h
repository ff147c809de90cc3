#pragma once
// The library's exported function and what the controller needs to know about
// the file it was loaded from.

#include "platform/rtl/AnsiStrings.h"

// The full path of the file that holds the plug-in's code: the shared library
// when a host loaded it, the program itself when a program links the code
// directly (which puts option windows into their stand-alone test mode).
AnsiString PluginModulePath();

// Makes PluginModulePath answer Path instead ("" goes back to the real file),
// for programs that link the plug-in's code but want it to behave as a loaded
// library.
void OverridePluginModulePath(const AnsiString& Path);
