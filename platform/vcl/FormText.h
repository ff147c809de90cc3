#pragma once
// The form text format: a window (a root component and what it owns) as
// nested "object"/"inherited" blocks of "name = value" lines.
//
//   inherited frmOption: TfrmOption
//     Caption = 'Options'#13#10'x'
//     Font.Charset = GB2312_CHARSET
//     Font.Style = [fsBold]
//     OnShow = FormShow
//     object btnOk: TButton
//       Items.Strings = (
//         'a'
//         'b')
//       Panels = <
//         item
//           Width = 50
//         end>
//     end
//   end
//
// The text is parsed into a tree (TFormObject), which is then either applied
// to components (the reader) or printed (the writer); the writer builds the
// tree from components. docs/form-text-format.md describes the syntax, the
// value kinds and how texts in code pages are written.

#include <cstdint>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/ClassRegistry.h"

class TComponent;

// A description that cannot be read into components: unknown property, wrong
// value kind, missing ancestor component, unresolved reference.
class EReadError : public EFilerError {
  KW_DECLARE_CLASS(EReadError, EFilerError)
 public:
  using EFilerError::EFilerError;
};
class EWriteError : public EFilerError {
  KW_DECLARE_CLASS(EWriteError, EFilerError)
 public:
  using EFilerError::EFilerError;
};
// Malformed text: "Identifier expected on line 3", unbalanced blocks.
class EParserError : public EConvertError {
  KW_DECLARE_CLASS(EParserError, EConvertError)
 public:
  EParserError(AnsiString Msg, int ALine) : EConvertError(std::move(Msg)), Line(ALine) {}
  int Line;
};

// ---- The tree -----------------------------------------------------------------

enum class TFormValueKind {
  Integer,     // 12, -3, $1F
  Float,       // 1.5, 2E3
  String,      // 'abc'#13#10 + 'def'  (Text holds the bytes in the process code page)
  Ident,       // clRed, True, nil, btnOkClick
  Set,         // [fsBold, fsItalic]
  List,        // ( values )
  Collection,  // < item ... end >
  Binary       // { 0A1B }  (Text holds the bytes)
};

struct TFormProperty;

struct TFormItem {
  std::vector<TFormProperty> Properties;
  int Line = 0;
};

struct TFormValue {
  TFormValueKind Kind = TFormValueKind::Integer;
  int64_t Int = 0;
  double Float = 0;
  AnsiString Text;
  std::vector<AnsiString> Elements;  // Set
  std::vector<TFormValue> List;      // List
  std::vector<TFormItem> Items;      // Collection
  int Line = 0;

  static TFormValue OfInt(int64_t V);
  static TFormValue OfFloat(double V);
  static TFormValue OfString(const AnsiString& V);
  static TFormValue OfIdent(const AnsiString& V);
};

struct TFormProperty {
  AnsiString Name;  // a dotted path: "Font.Charset", "Items.Strings"
  TFormValue Value;
  int Line = 0;
};

enum class TFormObjectKind { Object, Inherited, Inline };

struct TFormObject {
  TFormObjectKind Kind = TFormObjectKind::Object;
  AnsiString Name;       // may be empty ("object TLabel")
  AnsiString ClassName;
  int Position = -1;     // "[n]" after the class name; read and kept, not applied
  int Line = 0;
  std::vector<TFormProperty> Properties;
  std::vector<TFormObject> Children;
};

// How texts are encoded. Strings of the tree (and of the components read or
// written) are bytes in the Strings code page. In the text, a string's
// characters are written as #n codes of their UTF-16 code units (plain ASCII
// text, as the run-time writes wide strings), or, with RawBytes, as the
// bytes themselves inside the quotes (for callers that convert the whole text
// between code pages afterwards). Unescaped bytes inside quotes are read in
// the Source code page; #n codes are UTF-16 code units either way.
// Descriptions compiled into the program are UTF-8 and read into code page
// 936, like every text built into the library.
struct TFormTextEncoding {
  unsigned Strings = 0;  // CP_ACP: the process code page
  unsigned Source = 0;
  bool RawBytes = false;
};

// Parses a whole description (one root block, then nothing but blanks).
// Raises EParserError naming the line.
TFormObject ParseFormText(const AnsiString& Text, const TFormTextEncoding& Encoding = {});
// Prints a tree with two blanks of indentation per level, lines ended by
// CR LF, strings cut into pieces of 64 characters joined by "+".
AnsiString FormatFormText(const TFormObject& Root, const TFormTextEncoding& Encoding = {});

// ---- Writing components -------------------------------------------------------

// The tree of Root. Without Ancestor every stored property that differs from
// its default is written and the root is an "object" block. With Ancestor (an
// instance of Root's class, or of an ancestor class, as freshly created) the
// root is an "inherited" block holding only what differs from it: properties
// whose value differs, components of the ancestor (by name) whose properties
// or children differ ("inherited"), and components the ancestor lacks
// ("object").
TFormObject WriteComponentTree(TComponent* Root, TComponent* Ancestor = nullptr);
AnsiString ComponentToFormText(TComponent* Root, TComponent* Ancestor = nullptr,
                               const TFormTextEncoding& Encoding = {});
// Writes Root as a descendant of a fresh instance of its own class (created
// through the class registry and freed again).
AnsiString WriteDescendantFormText(TComponent* Root, const TFormTextEncoding& Encoding = {});

// ---- Reading into components ----------------------------------------------------

// Applies one or more descriptions to an existing root. "inherited" blocks
// name components that must exist; "object" blocks create components of
// registered classes, owned by the root and placed in the enclosing block's
// component (SetParentComponent); an "object" block naming an existing
// component of the same class reuses it. Values are checked against the
// property's kind. Every error raises EReadError (or EClassNotFound) with
// " on line N".
//
// Read checks the whole description first (classes, names, properties, value
// kinds and ranges, enumeration and set names, handlers, references) and
// changes nothing when that check fails. Errors only a setter or a defined
// property's reader finds while applying leave what was applied before them.
//
// While reading, every component read has csLoading; Finish resolves
// references to components by name, calls Loaded on each component read (root
// first, in reading order) and clears the flags. A reader destroyed without
// Finish only clears the flags.
class TFormReader {
 public:
  explicit TFormReader(TComponent* Root);
  ~TFormReader();
  TFormReader(const TFormReader&) = delete;
  TFormReader& operator=(const TFormReader&) = delete;

  void Read(const TFormObject& Tree);
  void Finish();

 private:
  struct TImpl;
  TImpl* FImpl;
};

// One reader pass: Read then Finish.
void ReadComponentTree(TComponent* Root, const TFormObject& Tree);
void ReadFormText(TComponent* Root, const AnsiString& Text, const TFormTextEncoding& Encoding = {});

// ---- Properties with their own streaming ----------------------------------------

// Streamed values that are not published properties: a string list's
// "Strings" (written as "Items.Strings = ( ... )"), a picture's binary "Data".
// Registered per class (and inherited by descendants).
struct TDefinedProperty {
  AnsiString Name;
  // Whether Instance has something to write, compared with Ancestor (an
  // object of the same class, or nullptr).
  bool (*HasData)(const TObject* Instance, const TObject* Ancestor) = nullptr;
  void (*Write)(const TObject* Instance, TFormValue& Value) = nullptr;
  // Raises EReadError (without a line; the reader adds it) for a value of the
  // wrong kind.
  void (*Read)(TObject* Instance, const TFormValue& Value) = nullptr;
  // Optional: whether a value has the right kind, asked while the reader
  // checks a description before applying it.
  bool (*Accepts)(const TFormValue& Value) = nullptr;
};
void DefineProperty(const TClassInfo& Class, const TDefinedProperty& Property);
// The defined property of Instance's class chain with that name, or nullptr.
const TDefinedProperty* FindDefinedProperty(const TObject* Instance, const AnsiString& Name);
