// The exception hierarchy every subsystem raises. Messages are English and name what failed;
// fixed texts stay exact and carry their context in a separate member.
#pragma once

#include "framework/rtl/Types.h"

#include <exception>
#include <string>

namespace vmado {

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const AnsiString& Message() const noexcept { return message_; }
    void SetMessage(AnsiString message) { message_ = std::move(message); }

private:
    AnsiString message_;
};

class EDatabaseError : public Exception {
public:
    // Context, such as the engine error that caused a fixed-text failure ("Open error!").
    EDatabaseError(AnsiString message, AnsiString context = {})
        : Exception(std::move(message)), context_(std::move(context))
    {
    }
    const AnsiString& Context() const noexcept { return context_; }

private:
    AnsiString context_;
};

class EConvertError : public Exception {
    using Exception::Exception;
};
class EListError : public Exception {
    using Exception::Exception;
};
class EInvalidCast : public Exception {
    using Exception::Exception;
};
class EInvalidOperation : public Exception {
    using Exception::Exception;
};
class EVariantError : public EInvalidCast {
    using EInvalidCast::EInvalidCast;
};
class EComponentError : public Exception {
    using Exception::Exception;
};

class EStreamError : public Exception {
    using Exception::Exception;
};
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
    using EStreamError::EStreamError;
};

class EThread : public Exception {
    using Exception::Exception;
};

// Every failure of the database engine. The message says what failed; Source names the
// engine object, Code is the native error code and SqlState the five-character state when
// the database gave one. The database's own text is kept apart in DatabaseText.
class EOleException : public Exception {
public:
    EOleException(AnsiString message, AnsiString source = {}, Integer code = 0, AnsiString sqlState = {},
                  AnsiString databaseText = {})
        : Exception(std::move(message)), source_(std::move(source)), code_(code),
          sqlState_(std::move(sqlState)), databaseText_(std::move(databaseText))
    {
    }
    const AnsiString& Source() const noexcept { return source_; }
    Integer ErrorCode() const noexcept { return code_; }
    const AnsiString& SqlState() const noexcept { return sqlState_; }
    const AnsiString& DatabaseText() const noexcept { return databaseText_; }

private:
    AnsiString source_;
    Integer code_;
    AnsiString sqlState_;
    AnsiString databaseText_;
};

} // namespace vmado
