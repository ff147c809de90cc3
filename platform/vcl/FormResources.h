#pragma once
// Form descriptions compiled into the program, one per class: the text files
// of a forms/ folder are turned into generated sources at build time
// (kw_add_form_resources in CMake) that register their text under the class
// name (the file name without ".dfm"). A form class is built from its
// ancestors' descriptions and then its own.

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"

class TComponent;

// Registers the UTF-8 text of a class's description; a second registration
// for the same class replaces the first (a library may override a platform
// description). SourceName names the file for messages.
void RegisterFormResource(const AnsiString& ClassName, const char* Utf8Text,
                          const char* SourceName = nullptr);
// The registered text of a class, or nullptr.
const char* FindFormResource(const AnsiString& ClassName);
// The file the text came from ("forms/TfrmX.dfm"), or the class name.
AnsiString FormResourceSource(const AnsiString& ClassName);

// Reads into Instance the descriptions of its class chain (their texts into
// code page 936, as every text built into the library), from the class
// just below RootAncestor down to Instance's own class, in one reader session
// (Loaded runs once, at the end). Classes without a description are skipped.
// Returns whether any description was read. Errors raise EReadError /
// EParserError / EClassNotFound with the source file and line in the message.
bool InitInheritedComponent(TComponent* Instance, const TClassInfo& RootAncestor);
