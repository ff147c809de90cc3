#include "platform/rtl/CodePages.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/rtl/Exceptions.h"

namespace {

constexpr unsigned kDefaultACP = 936;
constexpr char16_t kReplacementChar = 0xFFFD;

// ICU's own names, not aliases: "windows-950" and "windows-936" are aliases
// shared by several tables in ICU, and only these two carry Windows' mappings
// (0x80 = euro in 936, 0xA3E1 = euro in 950). ibm-5348 is Windows' 1252 with
// the euro and the other 0x80..0x9F punctuation.
const char* IcuConverterName(unsigned CodePage) {
  switch (CodePage) {
    case 936:
      return "windows-936-2000";
    case 950:
      return "windows-950-2000";
    case 1252:
      return "ibm-5348_P100-1997";
    case 437:
      return "ibm-437_P100-1995";
    default:
      return nullptr;
  }
}

[[noreturn]] void RaiseUnsupported(unsigned CodePage) {
  throw EConvertError("Code page " + std::to_string(CodePage) + " is not supported");
}

unsigned Resolve(unsigned CodePage) {
  if (CodePage == CP_ACP) return GetACP();
  if (!IsValidCodePage(CodePage)) RaiseUnsupported(CodePage);
  return CodePage;
}

unsigned AsProcessCodePage(unsigned CodePage) { return CodePage == 437 ? 1252 : CodePage; }

unsigned InitialACP() {
  const char* value = std::getenv("KW_ANSI_CODEPAGE");
  if (value == nullptr) return kDefaultACP;
  std::string_view text(value);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty()) return kDefaultACP;
  unsigned long number = 0;
  bool digits = text.size() <= 5;
  for (char c : text) {
    if (c < '0' || c > '9') {
      digits = false;
      break;
    }
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (digits && number != CP_ACP && IsValidCodePage(static_cast<unsigned>(number)))
    return AsProcessCodePage(static_cast<unsigned>(number));
  // Raising here would surface at some unrelated first conversion; a clear
  // note and the default keep the program usable.
  std::fprintf(stderr, "KW_ANSI_CODEPAGE=\"%s\" is not a supported code page; using %u\n", value,
               kDefaultACP);
  return kDefaultACP;
}

std::atomic<unsigned>& AcpCell() {
  static std::atomic<unsigned> cell{InitialACP()};
  return cell;
}

void CheckLength(std::size_t Size) {
  if (Size > static_cast<std::size_t>(INT32_MAX) / 4)
    throw EConvertError("Text too long to convert (" + std::to_string(Size) + " bytes)");
}

// ICU converters keep state and must not be shared between threads; each
// thread opens the few it uses once.
class TConverterCache {
 public:
  ~TConverterCache() {
    for (auto& entry : Entries) ucnv_close(entry.Converter);
  }

  UConverter* Get(unsigned CodePage) {
    for (auto& entry : Entries)
      if (entry.CodePage == CodePage) return entry.Converter;
    const char* name = IcuConverterName(CodePage);
    if (name == nullptr) RaiseUnsupported(CodePage);
    UErrorCode err = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &err);
    if (U_FAILURE(err) || converter == nullptr)
      throw EConvertError("Code page " + std::to_string(CodePage) +
                          " cannot be opened: " + u_errorName(err));
    Entries.push_back({CodePage, converter});
    return converter;
  }

 private:
  struct Entry {
    unsigned CodePage;
    UConverter* Converter;
  };
  std::vector<Entry> Entries;
};

UConverter* ConverterFor(unsigned CodePage) {
  thread_local TConverterCache cache;
  return cache.Get(CodePage);
}

// One U+FFFD for each undecodable sequence, counted. Reasons past
// UCNV_IRREGULAR (reset, close, clone) are notifications, not errors.
void U_CALLCONV ReplaceUndecodable(const void* Context, UConverterToUnicodeArgs* Args, const char*,
                                   int32_t, UConverterCallbackReason Reason, UErrorCode* Err) {
  if (Reason > UCNV_IRREGULAR) return;
  ++*static_cast<int*>(const_cast<void*>(Context));
  *Err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(Args, &kReplacementChar, 1, 0, Err);
}

struct TEncodeCount {
  int Count = 0;
  // Re-encoding decoded text: its U+FFFD marks were counted by the decoder.
  bool SkipReplacementChar = false;
};

// One "?" for each character the code page lacks (a surrogate pair is one
// character), counted.
void U_CALLCONV ReplaceUnmappable(const void* Context, UConverterFromUnicodeArgs* Args,
                                  const UChar*, int32_t, UChar32 CodePoint,
                                  UConverterCallbackReason Reason, UErrorCode* Err) {
  if (Reason > UCNV_IRREGULAR) return;
  auto* count = static_cast<TEncodeCount*>(const_cast<void*>(Context));
  if (!(count->SkipReplacementChar && CodePoint == kReplacementChar)) ++count->Count;
  *Err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(Args, "?", 1, 0, Err);
}

// ICU's 437 table is IBM's, which swaps the control codes 0x1A, 0x1C and 0x7F
// for its glyph conventions; Windows keeps 0x00..0x7F equal to ASCII.
// These two permutations undo the swap on either side of ICU.
char16_t Fix437AfterDecode(char16_t C) {
  switch (C) {
    case 0x001C:
      return 0x001A;
    case 0x007F:
      return 0x001C;
    case 0x001A:
      return 0x007F;
    default:
      return C;
  }
}
char16_t Fix437BeforeEncode(char16_t C) {
  switch (C) {
    case 0x001A:
      return 0x001C;
    case 0x001C:
      return 0x007F;
    case 0x007F:
      return 0x001A;
    default:
      return C;
  }
}

WideString DecodeUtf8(std::string_view In, int& Replacements) {
  if (In.empty()) return {};
  CheckLength(In.size());
  WideString out(In.size(), u'\0');  // never more UTF-16 units than bytes
  int32_t length = 0;
  int32_t substitutions = 0;
  UErrorCode err = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, In.data(),
                       static_cast<int32_t>(In.size()), kReplacementChar, &substitutions, &err);
  if (U_FAILURE(err))
    throw EConvertError(std::string("UTF-8 decoding failed: ") + u_errorName(err));
  out.resize(static_cast<std::size_t>(length));
  Replacements += substitutions;
  return out;
}

std::string EncodeUtf8(std::u16string_view In, int& Replacements) {
  if (In.empty()) return {};
  CheckLength(In.size());
  std::string out(In.size() * 3, '\0');  // at most three bytes per UTF-16 unit
  int32_t length = 0;
  int32_t substitutions = 0;
  UErrorCode err = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, In.data(),
                     static_cast<int32_t>(In.size()), kReplacementChar, &substitutions, &err);
  if (U_FAILURE(err))
    throw EConvertError(std::string("UTF-8 encoding failed: ") + u_errorName(err));
  out.resize(static_cast<std::size_t>(length));
  Replacements += substitutions;
  return out;
}

WideString Decode(std::string_view In, unsigned CodePage, int& Replacements) {
  CodePage = Resolve(CodePage);
  if (CodePage == CP_UTF8) return DecodeUtf8(In, Replacements);
  UConverter* converter = ConverterFor(CodePage);
  if (In.empty()) return {};
  CheckLength(In.size());

  int count = 0;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_resetToUnicode(converter);
  ucnv_setToUCallBack(converter, ReplaceUndecodable, &count, nullptr, nullptr, &err);

  WideString out(In.size() + 1, u'\0');
  const char* source = In.data();
  const char* sourceEnd = source + In.size();
  std::size_t written = 0;
  for (;;) {
    UChar* target = out.data() + written;
    err = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, out.data() + out.size(), &source, sourceEnd, nullptr, true,
                   &err);
    written = static_cast<std::size_t>(target - out.data());
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(out.size() * 2);
      continue;
    }
    if (U_FAILURE(err))
      throw EConvertError("Decoding code page " + std::to_string(CodePage) +
                          " failed: " + u_errorName(err));
    break;
  }
  out.resize(written);
  if (CodePage == 437)
    for (char16_t& c : out) c = Fix437AfterDecode(c);
  Replacements += count;
  return out;
}

AnsiString Encode(std::u16string_view In, unsigned CodePage, int& Replacements,
                  bool SkipReplacementChar = false) {
  CodePage = Resolve(CodePage);
  if (CodePage == CP_UTF8) return EncodeUtf8(In, Replacements);  // U+FFFD itself is encodable
  UConverter* converter = ConverterFor(CodePage);
  if (In.empty()) return {};
  CheckLength(In.size());

  std::u16string fixed;
  if (CodePage == 437) {
    fixed.assign(In);
    for (char16_t& c : fixed) c = Fix437BeforeEncode(c);
    In = fixed;
  }

  TEncodeCount count;
  count.SkipReplacementChar = SkipReplacementChar;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_resetFromUnicode(converter);
  ucnv_setFromUCallBack(converter, ReplaceUnmappable, &count, nullptr, nullptr, &err);

  AnsiString out(static_cast<std::size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(
                     static_cast<int32_t>(In.size()), ucnv_getMaxCharSize(converter))),
                 '\0');
  const UChar* source = In.data();
  const UChar* sourceEnd = source + In.size();
  std::size_t written = 0;
  for (;;) {
    char* target = out.data() + written;
    err = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, out.data() + out.size(), &source, sourceEnd, nullptr, true,
                     &err);
    written = static_cast<std::size_t>(target - out.data());
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(out.size() * 2);
      continue;
    }
    if (U_FAILURE(err))
      throw EConvertError("Encoding to code page " + std::to_string(CodePage) +
                          " failed: " + u_errorName(err));
    break;
  }
  out.resize(written);
  Replacements += count.Count;
  return out;
}

}  // namespace

// ---- The process ANSI code page -------------------------------------------

unsigned GetACP() { return AcpCell().load(std::memory_order_relaxed); }

void SetACP(unsigned CodePage) {
  if (CodePage == CP_ACP || !IsValidCodePage(CodePage)) RaiseUnsupported(CodePage);
  AcpCell().store(AsProcessCodePage(CodePage), std::memory_order_relaxed);
}

AnsiString SystemCodePageName() {
  switch (GetACP()) {
    case 936:
      return "936";
    case 950:
      return "950";
    default:
      return "437";
  }
}

bool IsValidCodePage(unsigned CodePage) {
  return CodePage == CP_UTF8 || IcuConverterName(CodePage) != nullptr;
}

// ---- Conversions ---------------------------------------------------------

WideString AnsiToWide(const AnsiString& S, unsigned CodePage) {
  int replacements = 0;
  return Decode(S, CodePage, replacements);
}

WideString AnsiToWide(const AnsiString& S, unsigned CodePage, int& Replacements) {
  Replacements = 0;
  return Decode(S, CodePage, Replacements);
}

AnsiString WideToAnsi(const WideString& S, unsigned CodePage) {
  int replacements = 0;
  return Encode(S, CodePage, replacements);
}

AnsiString WideToAnsi(const WideString& S, unsigned CodePage, int& Replacements) {
  Replacements = 0;
  return Encode(S, CodePage, Replacements);
}

std::string AnsiToUtf8(const AnsiString& S, unsigned CodePage) {
  return ConvertCodePage(S, CodePage, CP_UTF8);
}

AnsiString Utf8ToAnsi(std::string_view Utf8, unsigned CodePage) {
  int replacements = 0;
  return Encode(DecodeUtf8(Utf8, replacements), CodePage, replacements, true);
}

WideString Utf8ToWide(std::string_view Utf8) {
  int replacements = 0;
  return DecodeUtf8(Utf8, replacements);
}

std::string WideToUtf8(const WideString& S) {
  int replacements = 0;
  return EncodeUtf8(S, replacements);
}

AnsiString ConvertCodePage(const AnsiString& S, unsigned FromCodePage, unsigned ToCodePage) {
  int replacements = 0;
  return ConvertCodePage(S, FromCodePage, ToCodePage, replacements);
}

AnsiString ConvertCodePage(const AnsiString& S, unsigned FromCodePage, unsigned ToCodePage,
                           int& Replacements) {
  Replacements = 0;
  // Resolve both first so that an unknown target is reported even for "".
  FromCodePage = Resolve(FromCodePage);
  ToCodePage = Resolve(ToCodePage);
  return Encode(Decode(S, FromCodePage, Replacements), ToCodePage, Replacements, true);
}

AnsiString Utf8ToGB(std::string_view Utf8) { return Utf8ToAnsi(Utf8, 936); }

// ---- Double-byte characters ----------------------------------------------

bool IsDBCSCodePage(unsigned CodePage) {
  if (CodePage == CP_ACP) CodePage = GetACP();
  return CodePage == 936 || CodePage == 950;
}

bool IsDBCSLeadByte(unsigned char B, unsigned CodePage) {
  return B >= 0x81 && B <= 0xFE && IsDBCSCodePage(CodePage);
}

std::size_t CharSizeAt(std::string_view S, std::size_t Offset, unsigned CodePage) {
  if (Offset >= S.size()) return 0;
  if (Offset + 1 < S.size() && S[Offset + 1] != '\0' &&
      IsDBCSLeadByte(static_cast<unsigned char>(S[Offset]), CodePage))
    return 2;
  return 1;
}

namespace {

TMbcsByteType ByteTypeAt(std::string_view S, std::size_t Offset, unsigned CodePage) {
  if (Offset >= S.size() || S[Offset] == '\0' || !IsDBCSCodePage(CodePage)) return mbSingleByte;
  // The byte before a run of lead-range bytes ends a character (it is a
  // single byte or a trail byte), so the run's length alone decides: an odd
  // number of lead-range bytes before Offset makes it a trail byte.
  std::size_t run = 0;
  for (std::size_t i = Offset;
       i > 0 && IsDBCSLeadByte(static_cast<unsigned char>(S[i - 1]), CodePage); --i)
    ++run;
  if (run % 2 == 1) return mbTrailByte;
  return IsDBCSLeadByte(static_cast<unsigned char>(S[Offset]), CodePage) ? mbLeadByte
                                                                         : mbSingleByte;
}

}  // namespace

TMbcsByteType ByteType(const AnsiString& S, int Index, unsigned CodePage) {
  if (Index < 1) return mbSingleByte;
  return ByteTypeAt(S, static_cast<std::size_t>(Index) - 1, CodePage);
}

TMbcsByteType StrByteType(const char* Str, unsigned Index, unsigned CodePage) {
  if (Str == nullptr) return mbSingleByte;
  return ByteTypeAt(std::string_view(Str), Index, CodePage);
}

int CharLength(const AnsiString& S, int Index, unsigned CodePage) {
  if (Index < 1 || static_cast<std::size_t>(Index) > S.size()) return 0;
  if (ByteType(S, Index, CodePage) != mbLeadByte) return 1;
  return static_cast<int>(CharSizeAt(S, static_cast<std::size_t>(Index) - 1, CodePage));
}

int NextCharIndex(const AnsiString& S, int Index, unsigned CodePage) {
  int length = CharLength(S, Index, CodePage);
  return Index + (length == 0 ? 1 : length);
}
