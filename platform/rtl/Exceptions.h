#pragma once
// The exception hierarchy: every library error derives from Exception and
// carries a message text (in the process code page). Class names follow the
// run-time's own, because error reports print them.

#include <exception>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"

class Exception : public TObject, public std::exception {
  KW_DECLARE_CLASS(Exception, TObject)
 public:
  explicit Exception(AnsiString Msg) : Message(std::move(Msg)) {}
  const char* what() const noexcept override { return Message.c_str(); }

  AnsiString Message;
};

#define KW_DECLARE_EXCEPTION(Cls, Base) \
  class Cls : public Base {             \
    KW_DECLARE_CLASS(Cls, Base)         \
   public:                              \
    using Base::Base;                   \
  };

// A value could not be converted (Format arguments, text to number or date).
KW_DECLARE_EXCEPTION(EConvertError, Exception)
// Silent exception: aborts an operation without a message.
KW_DECLARE_EXCEPTION(EAbort, Exception)
// A call to an operation that a class leaves abstract.
KW_DECLARE_EXCEPTION(EAbstractError, Exception)
KW_DECLARE_EXCEPTION(EListError, Exception)
KW_DECLARE_EXCEPTION(EStringListError, Exception)
KW_DECLARE_EXCEPTION(EVariantError, Exception)
KW_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError)
KW_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError)
KW_DECLARE_EXCEPTION(EVariantInvalidArgError, EVariantError)
KW_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError)
KW_DECLARE_EXCEPTION(EVariantArrayCreateError, EVariantError)
KW_DECLARE_EXCEPTION(EVariantNotAnArrayError, EVariantError)
KW_DECLARE_EXCEPTION(EVariantDispatchError, EVariantError)
KW_DECLARE_EXCEPTION(EIntOverflow, Exception)
KW_DECLARE_EXCEPTION(EZeroDivide, Exception)
KW_DECLARE_EXCEPTION(ERegistryException, Exception)
KW_DECLARE_EXCEPTION(EIniFileException, Exception)

// An operating-system call failed; ErrorCode is the system's error number.
class EOSError : public Exception {
  KW_DECLARE_CLASS(EOSError, Exception)
 public:
  EOSError(AnsiString Msg, int Code) : Exception(std::move(Msg)), ErrorCode(Code) {}
  int ErrorCode;
};

// A file operation failed; ErrorCode is the system's error number.
class EInOutError : public Exception {
  KW_DECLARE_CLASS(EInOutError, Exception)
 public:
  EInOutError(AnsiString Msg, int Code) : Exception(std::move(Msg)), ErrorCode(Code) {}
  int ErrorCode;
};

// Raises EAbort (the silent exception).
[[noreturn]] void Abort();
