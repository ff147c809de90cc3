#pragma once
// Registers the window-picture painters of the standard and common controls
// (labels, edits, buttons, check boxes, lists, list and tree views, page
// controls, tab sets, status bars, panels, grids ...). Linking
// StdControlPainters.cpp registers them too; a program that never refers to
// it (a static library drops such objects) calls this once.
void RegisterStdControlPainters();
