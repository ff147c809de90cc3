// A conversion library that offers only one direction: loading it must fail.
#include <cstddef>
#include <cstdlib>
#include <cstring>

extern "C" char* GBtoBIG5(const char* Text, std::size_t Length, std::size_t* ResultLength) {
  char* copy = static_cast<char*>(std::malloc(Length + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, Text, Length);
  copy[Length] = '\0';
  if (ResultLength) *ResultLength = Length;
  return copy;
}
