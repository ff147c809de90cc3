#pragma once
// INI files: "[Section]" headers followed by "Name=Value" lines.
//
// Reading is lenient and never fails: a missing file, section or key gives
// the default; blank lines, ";" comments, lines without "=", lines without a
// name and binary garbage are skipped; a "[" line without "]" is skipped and
// the lines under it, up to the next good header, belong to no section.
// Section and key names compare ignoring case; names and values are trimmed of
// blanks and control bytes. A value enclosed in a matching pair of quotes
// ("..." or '...') is read without them, so a value with outer blanks can be
// stored; writing adds the quotes where a value needs them. When a section or
// key appears twice, the first one counts.
//
// Writing changes only the lines it must: comments, blank lines, unknown lines
// and the order of everything else stay as they were. The file is replaced
// atomically. A name or value that the format cannot hold (a line break, a
// "]" in a section name, a "=" in a key, an empty name) raises
// EIniFileException rather than corrupting the file.
//
// TMemIniFile reads the file once and keeps changes in memory until
// UpdateFile. TIniFile works on the file itself: every write is saved at once
// and reads see changes other programs made to the file.

#include <memory>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/ValueTypes.h"

class TStrings;
struct TIniContent;

class TCustomIniFile : public TObject {
  KW_DECLARE_CLASS(TCustomIniFile, TObject)
 public:
  explicit TCustomIniFile(const AnsiString& FileName);
  ~TCustomIniFile() override;
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;

  const AnsiString& FileName() const { return FFileName; }

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) const;
  // Decimal or hexadecimal ("$1F", "0x1F"); anything else gives Default.
  int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const;
  // An integer: 0 is false, any other true; anything else gives Default.
  bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const;
  // With the decimal separator of the format settings.
  double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) const;
  // In the short date / long time formats of the format settings.
  TDateTime ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) const;
  TDateTime ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) const;
  TDateTime ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) const;

  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
  void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
  // Written as "1" or "0".
  void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);
  void WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  void WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  void WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);

  // These replace the list's contents. Key names, section names (once each,
  // in file order) and "name=value" lines in file order.
  void ReadSection(const AnsiString& Section, TStrings* Strings) const;
  void ReadSections(TStrings* Strings) const;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) const;
  // A section exists once its header is there, even without keys.
  bool SectionExists(const AnsiString& Section) const;
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident) const;
  // Writes an empty "[Section]" when the section is not there yet.
  void AddSection(const AnsiString& Section);
  // Removes every occurrence of the section with all its lines.
  void EraseSection(const AnsiString& Section);
  // Removes every line of the key in the section.
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident);
  // Writes pending changes to the file; raises EIniFileException when it cannot.
  virtual void UpdateFile() = 0;

 protected:
  // The content to read from (TIniFile first picks up changes to the file).
  virtual const TIniContent& ContentForReading() const = 0;
  // The content to change, and the notice that a change was made.
  virtual TIniContent& ContentForWriting() = 0;
  virtual void ContentChanged() = 0;

  // Loads the file (empty content when it cannot be read) and saves it.
  void LoadContent(TIniContent& Content) const;
  void SaveContent(const TIniContent& Content) const;

 private:
  void CheckSectionName(const AnsiString& Section) const;

  AnsiString FFileName;
};

class TMemIniFile : public TCustomIniFile {
  KW_DECLARE_CLASS(TMemIniFile, TCustomIniFile)
 public:
  explicit TMemIniFile(const AnsiString& FileName);
  ~TMemIniFile() override;

  void UpdateFile() override;
  // Drops unsaved changes and reads the file again.
  void Reload();
  bool Modified() const { return FModified; }

 protected:
  const TIniContent& ContentForReading() const override;
  TIniContent& ContentForWriting() override;
  void ContentChanged() override;

 private:
  std::unique_ptr<TIniContent> FContent;
  bool FModified = false;
};

class TIniFile : public TCustomIniFile {
  KW_DECLARE_CLASS(TIniFile, TCustomIniFile)
 public:
  explicit TIniFile(const AnsiString& FileName);
  ~TIniFile() override;

  // Every change is on disk already.
  void UpdateFile() override {}

 protected:
  const TIniContent& ContentForReading() const override;
  TIniContent& ContentForWriting() override;
  void ContentChanged() override;

 private:
  // Reads the file again when it changed since it was last read.
  void Refresh() const;

  mutable std::unique_ptr<TIniContent> FContent;
};
