#include "outside/Quillex/Quillex.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/rtl/CodePages.h"

#define QUILLEX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr unsigned kGB = 936;
constexpr unsigned kBig5 = 950;

thread_local int LastReplacements = 0;

// One instance of each direction per thread: creating one parses its rules.
const icu::Transliterator* MappingFor(bool ToTraditional) {
  thread_local std::unique_ptr<icu::Transliterator> toTraditional;
  thread_local std::unique_ptr<icu::Transliterator> toSimplified;
  auto& slot = ToTraditional ? toTraditional : toSimplified;
  if (!slot) {
    UErrorCode status = U_ZERO_ERROR;
    slot.reset(icu::Transliterator::createInstance(ToTraditional ? "Simplified-Traditional" : "Traditional-Simplified",
                                                   UTRANS_FORWARD, status));
    if (U_FAILURE(status)) slot.reset();
  }
  return slot.get();
}

char* Convert(const char* Text, size_t Length, size_t* ResultLength, unsigned From, unsigned To) {
  LastReplacements = -1;
  if (ResultLength) *ResultLength = 0;
  try {
    const icu::Transliterator* mapping = MappingFor(To == kBig5);
    if (!mapping) return nullptr;
    int badInput = 0;
    WideString wide = AnsiToWide(AnsiString(Text ? Text : "", Text ? Length : 0), From, badInput);

    icu::UnicodeString text(reinterpret_cast<const UChar*>(wide.data()), static_cast<int32_t>(wide.size()));
    mapping->transliterate(text);
    wide.assign(reinterpret_cast<const char16_t*>(text.getBuffer()), static_cast<std::size_t>(text.length()));

    // A bad input sequence arrives here as U+FFFD, which neither page holds:
    // it is replaced again on encoding and must not be counted twice.
    const auto undecodable = static_cast<int>(std::count(wide.begin(), wide.end(), u'\uFFFD'));
    int unencodable = 0;
    const AnsiString out = WideToAnsi(wide, To, unencodable);

    char* result = static_cast<char*>(std::malloc(out.size() + 1));
    if (!result) return nullptr;
    std::memcpy(result, out.data(), out.size());
    result[out.size()] = '\0';
    if (ResultLength) *ResultLength = out.size();
    LastReplacements = badInput + std::max(0, unencodable - undecodable);
    return result;
  } catch (...) {
    // Nothing may cross the C boundary.
    return nullptr;
  }
}

}  // namespace

QUILLEX_EXPORT char* GBtoBIG5(const char* Text, size_t Length, size_t* ResultLength) {
  return Convert(Text, Length, ResultLength, kGB, kBig5);
}

QUILLEX_EXPORT char* BIG5toGB(const char* Text, size_t Length, size_t* ResultLength) {
  return Convert(Text, Length, ResultLength, kBig5, kGB);
}

QUILLEX_EXPORT int QuillexLastReplacements(void) { return LastReplacements; }
